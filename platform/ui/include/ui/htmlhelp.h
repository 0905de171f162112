// HtmlHelpA: the HTML Help viewer, in process, on Qt (see HelpViewer.h). pszFile names the help file,
// optionally followed by "::/topic.htm" and ">window type" (the window type is accepted and ignored). One
// viewer per help file: a later call for the same file reuses it. The viewer is owned by hwndCaller when
// that is a window. Results: the viewer's window, or 0 when nothing was shown (a file that is not a
// readable help file, a missing topic, an unmapped context identifier, a keyword not found).
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32types.h"
#include "ui/timers.h"

using DWORD_PTR = std::uintptr_t;

constexpr UINT HH_DISPLAY_TOPIC = 0x0000;   // dwData: topic path or 0 for the default topic
constexpr UINT HH_DISPLAY_TOC = 0x0001;     // dwData: ignored
constexpr UINT HH_DISPLAY_INDEX = 0x0002;   // dwData: keyword to select, or 0
constexpr UINT HH_DISPLAY_SEARCH = 0x0003;  // dwData: HH_FTS_QUERY*
constexpr UINT HH_KEYWORD_LOOKUP = 0x000D;  // dwData: HH_AKLINK*
constexpr UINT HH_HELP_CONTEXT = 0x000F;    // dwData: the context identifier
constexpr UINT HH_CLOSE_ALL = 0x0012;       // pszFile and dwData ignored; closes every viewer
constexpr UINT HH_ALINK_LOOKUP = 0x0013;    // dwData: HH_AKLINK*

// Keyword and associative-link look-ups: keywords separated by ";". When none is found: with
// fIndexOnFail the index is shown; else with pszUrl that topic; else pszMsgText (titled pszMsgTitle) is
// shown in a message box owned by the caller; else nothing.
struct HH_AKLINK {
    int cbStruct;
    BOOL fReserved;
    LPCSTR pszKeywords;
    LPCSTR pszUrl;
    LPCSTR pszMsgText;
    LPCSTR pszMsgTitle;
    LPCSTR pszWindow;
    BOOL fIndexOnFail;
};

// The search pane, with pszSearchQuery filled in (and run when fExecute).
struct HH_FTS_QUERY {
    int cbStruct;
    BOOL fUniCodeStrings;
    LPCSTR pszSearchQuery;
    LONG iProximity;
    BOOL fStemmedSearch;
    BOOL fTitleOnly;
    BOOL fExecute;
    LPCSTR pszWindow;
};

// WM_NOTIFY from the viewer to its caller: HHN_WINDOW_CREATE when a viewer window is made,
// HHN_NAVCOMPLETE after each topic is shown (pszUrl: the topic).
constexpr UINT WM_NOTIFY = 0x004E;
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
struct HHN_NOTIFY {
    NMHDR hdr;
    LPCSTR pszUrl;
};
constexpr UINT HHN_FIRST = 0U - 860U;
constexpr UINT HHN_NAVCOMPLETE = HHN_FIRST - 0;
constexpr UINT HHN_TRACK = HHN_FIRST - 1;
constexpr UINT HHN_WINDOW_CREATE = HHN_FIRST - 2;

HWND HtmlHelpA(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);

namespace velmora {

// The library that holds HtmlHelpA and the viewer (a suite path), for its registration; empty when it
// cannot be told.
std::string htmlHelpLibraryPath();

}  // namespace velmora
