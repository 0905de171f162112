// The platform's common dialogs on Qt Widgets: open and save file, colour, font, page set-up, print, and
// the folder / computer browser. Each is modal over the owner window (hwndOwner; 0 or a stale handle:
// no owner), answers Return and Escape, and calls the record's hook (when its ENABLEHOOK flag is set)
// with WM_INITDIALOG once the dialog has its size and before it is first painted, so that the hook can
// place it. The explorer-style file dialog gives its hook an inner page (wParam 0) whose GetParent is the
// dialog, as the original does. Flags that have a Qt counterpart take effect; the others are kept.
// Paths given and returned are drive paths ("Z:\home\me\a.txt"), text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32types.h"
#include "ui/windows.h"

using HDC = struct HDC__*;  // as ui/gdi.h, which callers without Qt need not include

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_USER = 0x0400;

// One hook signature serves every dialog, as on the original.
using LPOFNHOOKPROC = std::uintptr_t (*)(HWND hdlg, UINT msg, WPARAM wParam, LPARAM lParam);
using LPCCHOOKPROC = LPOFNHOOKPROC;
using LPCFHOOKPROC = LPOFNHOOKPROC;
using LPPAGESETUPHOOK = LPOFNHOOKPROC;
using LPPRINTHOOKPROC = LPOFNHOOKPROC;
using BFFCALLBACK = int (*)(HWND hwnd, UINT msg, LPARAM lParam, LPARAM lpData);

// ---- Extended errors (CommDlgExtendedError) ----
constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_GENERALCODES = 0x0000;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHINSTANCE = 0x0004;
constexpr DWORD CDERR_LOADSTRFAILURE = 0x0005;
constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
constexpr DWORD CDERR_LOADRESFAILURE = 0x0007;
constexpr DWORD CDERR_LOCKRESFAILURE = 0x0008;
constexpr DWORD CDERR_MEMALLOCFAILURE = 0x0009;
constexpr DWORD CDERR_MEMLOCKFAILURE = 0x000A;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD CDERR_REGISTERMSGFAIL = 0x000C;
constexpr DWORD PDERR_PRINTERCODES = 0x1000;
constexpr DWORD PDERR_SETUPFAILURE = 0x1001;
constexpr DWORD PDERR_PARSEFAILURE = 0x1002;
constexpr DWORD PDERR_RETDEFFAILURE = 0x1003;
constexpr DWORD PDERR_LOADDRVFAILURE = 0x1004;
constexpr DWORD PDERR_GETDEVMODEFAIL = 0x1005;
constexpr DWORD PDERR_INITFAILURE = 0x1006;
constexpr DWORD PDERR_NODEVICES = 0x1007;
constexpr DWORD PDERR_NODEFAULTPRN = 0x1008;
constexpr DWORD PDERR_DNDMMISMATCH = 0x1009;
constexpr DWORD PDERR_CREATEICFAILURE = 0x100A;
constexpr DWORD PDERR_PRINTERNOTFOUND = 0x100B;
constexpr DWORD PDERR_DEFAULTDIFFERENT = 0x100C;
constexpr DWORD CFERR_CHOOSEFONTCODES = 0x2000;
constexpr DWORD CFERR_NOFONTS = 0x2001;
constexpr DWORD CFERR_MAXLESSTHANMIN = 0x2002;
constexpr DWORD FNERR_FILENAMECODES = 0x3000;
constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
constexpr DWORD CCERR_CHOOSECOLORCODES = 0x5000;

// The error of the last dialog call of this thread; 0 after a confirmation or a plain cancellation.
DWORD CommDlgExtendedError();

// ---- Open and save ----
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
constexpr DWORD OFN_NOLONGNAMES = 0x00040000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLEINCLUDENOTIFY = 0x00400000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;
constexpr DWORD OFN_FORCESHOWHIDDEN = 0x10000000;

// The original's 32-bit record sizes (76 before NT 5, 88 from it) are accepted beside sizeof.
constexpr DWORD OPENFILENAME_SIZE_VERSION_400 = 76;
constexpr DWORD OPENFILENAME_SIZE_VERSION_500 = 88;

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;  // pairs of description and pattern, each NUL-terminated, then one more NUL
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;  // 1-based; in: the pair shown first, out: the pair in use
    LPSTR lpstrFile;     // in: initial name; out: path, or with OFN_ALLOWMULTISELECT folder NUL names NUL NUL
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;  // out: the chosen file's name without folder
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

// TRUE when the user chose a file. FALSE on cancellation (CommDlgExtendedError 0) or failure: a bad
// record size or missing buffer (CDERR_STRUCTSIZE, CDERR_INITIALIZATION), a file buffer too small for the
// result (FNERR_BUFFERTOOSMALL; its first two bytes then hold the size needed when nMaxFile >= 2). A
// filter that lacks its final NUL is read up to its last complete pair. Nothing is written past
// nMaxFile / nMaxFileTitle / nMaxCustFilter.
BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn);

// ---- Colour ----
constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
constexpr DWORD CC_SHOWHELP = 0x00000008;
constexpr DWORD CC_ENABLEHOOK = 0x00000010;
constexpr DWORD CC_ENABLETEMPLATE = 0x00000020;
constexpr DWORD CC_ENABLETEMPLATEHANDLE = 0x00000040;
constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

struct CHOOSECOLORA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    COLORREF rgbResult;      // 0x00BBGGRR
    COLORREF* lpCustColors;  // 16 entries, read and written back
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
using LPCHOOSECOLORA = CHOOSECOLORA*;

// TRUE with rgbResult when confirmed. CDERR_INITIALIZATION without lpCustColors.
BOOL ChooseColorA(LPCHOOSECOLORA lpcc);

// ---- Font ----
constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = 0x00000003;
constexpr DWORD CF_SHOWHELP = 0x00000004;
constexpr DWORD CF_ENABLEHOOK = 0x00000008;
constexpr DWORD CF_ENABLETEMPLATE = 0x00000010;
constexpr DWORD CF_ENABLETEMPLATEHANDLE = 0x00000020;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_APPLY = 0x00000200;
constexpr DWORD CF_ANSIONLY = 0x00000400;
constexpr DWORD CF_SCRIPTSONLY = 0x00000400;
constexpr DWORD CF_NOVECTORFONTS = 0x00000800;
constexpr DWORD CF_NOOEMFONTS = 0x00000800;
constexpr DWORD CF_NOSIMULATIONS = 0x00001000;
constexpr DWORD CF_LIMITSIZE = 0x00002000;
constexpr DWORD CF_FIXEDPITCHONLY = 0x00004000;
constexpr DWORD CF_WYSIWYG = 0x00008000;
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr DWORD CF_SCALABLEONLY = 0x00020000;
constexpr DWORD CF_TTONLY = 0x00040000;
constexpr DWORD CF_NOFACESEL = 0x00080000;
constexpr DWORD CF_NOSTYLESEL = 0x00100000;
constexpr DWORD CF_NOSIZESEL = 0x00200000;
constexpr DWORD CF_SELECTSCRIPT = 0x00400000;
constexpr DWORD CF_NOSCRIPTSEL = 0x00800000;
constexpr DWORD CF_NOVERTFONTS = 0x01000000;
constexpr WORD SCREEN_FONTTYPE = 0x2000;
constexpr WORD PRINTER_FONTTYPE = 0x4000;
constexpr WORD SIMULATED_FONTTYPE = 0x8000;
constexpr WORD REGULAR_FONTTYPE = 0x0400;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;  // negative: character height in pixels of the device
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
using LPLOGFONTA = LOGFONTA*;

struct CHOOSEFONTA {
    DWORD lStructSize;
    HWND hwndOwner;
    HDC hDC;
    LPLOGFONTA lpLogFont;
    INT iPointSize;  // out: tenths of a point
    DWORD Flags;
    COLORREF rgbColors;  // kept: the Qt font dialog has no colour choice
    LPARAM lCustData;
    LPCFHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    HINSTANCE hInstance;
    LPSTR lpszStyle;
    WORD nFontType;
    WORD reserved;
    INT nSizeMin;
    INT nSizeMax;  // with CF_LIMITSIZE
};
using LPCHOOSEFONTA = CHOOSEFONTA*;

// TRUE when confirmed: lpLogFont takes the face (cut to 31 bytes), height for hDC, weight, italic,
// underline, strike-out; iPointSize the size. CDERR_INITIALIZATION without lpLogFont; a height of 0
// opens with the dialog's default size; CFERR_MAXLESSTHANMIN for CF_LIMITSIZE with max < min.
BOOL ChooseFontA(LPCHOOSEFONTA lpcf);

// ---- Page set-up and print ----
constexpr DWORD PSD_DEFAULTMINMARGINS = 0x00000000;
constexpr DWORD PSD_MARGINS = 0x00000002;
constexpr DWORD PSD_DISABLEPRINTER = 0x00000020;
constexpr DWORD PSD_ENABLEPAGESETUPHOOK = 0x00002000;
constexpr DWORD PSD_RETURNDEFAULT = 0x00000400;

constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_SELECTION = 0x00000001;
constexpr DWORD PD_PAGENUMS = 0x00000002;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_COLLATE = 0x00000010;
constexpr DWORD PD_PRINTTOFILE = 0x00000020;
constexpr DWORD PD_PRINTSETUP = 0x00000040;
constexpr DWORD PD_NOWARNING = 0x00000080;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_RETURNIC = 0x00000200;
constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
constexpr DWORD PD_SHOWHELP = 0x00000800;
constexpr DWORD PD_ENABLEPRINTHOOK = 0x00001000;
constexpr DWORD PD_ENABLESETUPHOOK = 0x00002000;
constexpr DWORD PD_ENABLEPRINTTEMPLATE = 0x00004000;
constexpr DWORD PD_ENABLESETUPTEMPLATE = 0x00008000;
constexpr DWORD PD_ENABLEPRINTTEMPLATEHANDLE = 0x00010000;
constexpr DWORD PD_ENABLESETUPTEMPLATEHANDLE = 0x00020000;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;
constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x00040000;
constexpr DWORD PD_DISABLEPRINTTOFILE = 0x00080000;
constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;
constexpr DWORD PD_NONETWORKBUTTON = 0x00200000;

constexpr int CCHDEVICENAME = 32;
constexpr DWORD DM_ORIENTATION = 0x00000001;
constexpr DWORD DM_COPIES = 0x00000100;
constexpr DWORD DM_DUPLEX = 0x00001000;
constexpr DWORD DM_COLLATE = 0x00008000;
constexpr short DMORIENT_PORTRAIT = 1;
constexpr short DMORIENT_LANDSCAPE = 2;
constexpr short DMDUP_SIMPLEX = 1;
constexpr short DMDUP_VERTICAL = 2;
constexpr short DMDUP_HORIZONTAL = 3;

// The device settings the suite exchanges with the print dialog: the leading fields of the original's
// device-mode block, as far as they are used here.
struct DEVMODEA {
    CHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;  // which of the following hold a value
    short dmOrientation;
    short dmCopies;
    short dmDuplex;
    short dmCollate;
};

// Driver, device and port names, each at its offset (in bytes from the start of the block) in the text
// that follows the four offsets, as on the original.
struct DEVNAMES {
    WORD wDriverOffset;
    WORD wDeviceOffset;
    WORD wOutputOffset;
    WORD wDefault;
};

struct PAGESETUPDLGA {
    DWORD lStructSize;
    HWND hwndOwner;
    DEVMODEA* hDevMode;
    DEVNAMES* hDevNames;
    DWORD Flags;
    POINT ptPaperSize;
    RECT rtMinMargin;
    RECT rtMargin;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPPAGESETUPHOOK lpfnPageSetupHook;
    LPOFNHOOKPROC lpfnPagePaintHook;
    LPCSTR lpPageSetupTemplateName;
};
using LPPAGESETUPDLGA = PAGESETUPDLGA*;

struct PRINTDLGA {
    DWORD lStructSize;
    HWND hwndOwner;
    DEVMODEA* hDevMode;   // in/out, caller-owned
    DEVNAMES* hDevNames;  // in: the printer to start with; out: left as given (see dmDeviceName)
    HDC hDC;
    DWORD Flags;
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPPRINTHOOKPROC lpfnPrintHook;
    LPPRINTHOOKPROC lpfnSetupHook;
    LPCSTR lpPrintTemplateName;
    LPCSTR lpSetupTemplateName;
};
using LPPRINTDLGA = PRINTDLGA*;

// Qt Print Support's page set-up dialog; TRUE when confirmed (orientation goes to hDevMode when given).
BOOL PageSetupDlgA(LPPAGESETUPDLGA lppsd);
// Qt Print Support's print dialog; TRUE when confirmed: hDevMode (when given) takes the chosen printer's
// name in dmDeviceName and its orientation, copies, duplex and collation; nCopies the copies.
BOOL PrintDlgA(LPPRINTDLGA lppd);

namespace velmora {
// The printers Qt Print Support knows (CUPS), and the default one; the PDF writer stands in when there is
// no printer at all, as a machine always has a printer to choose here.
std::vector<std::string> installedPrinters();
std::string defaultPrinter();
}  // namespace velmora

// ---- Folder and computer browser ----
constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_VALIDATE = 0x0020;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
constexpr UINT BIF_BROWSEINCLUDEURLS = 0x0080;
constexpr UINT BIF_BROWSEFORCOMPUTER = 0x1000;
constexpr UINT BIF_BROWSEFORPRINTER = 0x2000;
constexpr UINT BIF_BROWSEINCLUDEFILES = 0x4000;
constexpr UINT BIF_SHAREABLE = 0x8000;
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;
constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;  // wParam TRUE: lParam is a path (LPCSTR)
constexpr int CSIDL_NETWORK = 0x0012;

// An item the browser returns: a file-system folder or a computer of the network neighbourhood.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

// The network neighbourhood as a browser root (free it with CoTaskMemFree); E_INVALIDARG (0x80070057) for
// other folders, which are not served as roots.
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST* ppidl);

struct BROWSEINFOA {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;  // null: the file system; the network item: the computers known here
    LPSTR pszDisplayName;    // out: the chosen item's name, MAX_PATH bytes
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;  // called with BFFM_INITIALIZED; SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, path)
    LPARAM lParam;     // selects a folder from there
    int iImage;
};
using LPBROWSEINFOA = BROWSEINFOA*;

// The chosen item (free it with CoTaskMemFree), or nullptr when cancelled. The computers offered under the
// network root are this machine and the host names of /etc/hosts (there is no browse service to ask).
LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA lpbi);
// The item's file-system path into pszPath (MAX_PATH bytes); FALSE for a computer, which has none.
BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath);
void CoTaskMemFree(LPVOID pv);

namespace velmora {
// The computers the browser offers under the network root.
std::vector<std::string> knownComputers();
}  // namespace velmora
