// The common-dialog library's class table: CommonDialogObject and the platform's dialog constants.
#include "Placement.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "dialogs/CommonDialogObject.h"
#include "ui/commdlg.h"

namespace {

template <class T>
velmora::EnumInfo::Value value(const char16_t* name, T constant) {
    return {name, static_cast<std::int32_t>(constant)};
}

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Askpane")
        .add<CommonDialogObject>(u"{6B2E9D41-3A7C-4F15-8E20-C49A1D7B3E51}", u"Askpane.CommonDialogObject")
        .enumeration(u"MoveEnum",
                     {value(u"MM_NONE", MM_NONE), value(u"MM_SCREEN_CENTER", MM_SCREEN_CENTER),
                      value(u"MM_PARENT_CENTER", MM_PARENT_CENTER),
                      value(u"MM_PARENT_SHIFT", MM_PARENT_SHIFT), value(u"MM_MOUSE_SHIFT", MM_MOUSE_SHIFT)})
        .enumeration(u"OpenSaveFlag", {value(u"OFN_READONLY", OFN_READONLY),
                                       value(u"OFN_OVERWRITEPROMPT", OFN_OVERWRITEPROMPT),
                                       value(u"OFN_HIDEREADONLY", OFN_HIDEREADONLY),
                                       value(u"OFN_NOCHANGEDIR", OFN_NOCHANGEDIR),
                                       value(u"OFN_SHOWHELP", OFN_SHOWHELP),
                                       value(u"OFN_ENABLEHOOK", OFN_ENABLEHOOK),
                                       value(u"OFN_ENABLETEMPLATE", OFN_ENABLETEMPLATE),
                                       value(u"OFN_ENABLETEMPLATEHANDLE", OFN_ENABLETEMPLATEHANDLE),
                                       value(u"OFN_NOVALIDATE", OFN_NOVALIDATE),
                                       value(u"OFN_ALLOWMULTISELECT", OFN_ALLOWMULTISELECT),
                                       value(u"OFN_EXTENSIONDIFFERENT", OFN_EXTENSIONDIFFERENT),
                                       value(u"OFN_PATHMUSTEXIST", OFN_PATHMUSTEXIST),
                                       value(u"OFN_FILEMUSTEXIST", OFN_FILEMUSTEXIST),
                                       value(u"OFN_CREATEPROMPT", OFN_CREATEPROMPT),
                                       value(u"OFN_SHAREAWARE", OFN_SHAREAWARE),
                                       value(u"OFN_NOREADONLYRETURN", OFN_NOREADONLYRETURN),
                                       value(u"OFN_NOTESTFILECREATE", OFN_NOTESTFILECREATE),
                                       value(u"OFN_NONETWORKBUTTON", OFN_NONETWORKBUTTON),
                                       value(u"OFN_NOLONGNAMES", OFN_NOLONGNAMES),
                                       value(u"OFN_EXPLORER", OFN_EXPLORER),
                                       value(u"OFN_NODEREFERENCELINKS", OFN_NODEREFERENCELINKS),
                                       value(u"OFN_LONGNAMES", OFN_LONGNAMES),
                                       value(u"OFN_ENABLEINCLUDENOTIFY", OFN_ENABLEINCLUDENOTIFY),
                                       value(u"OFN_ENABLESIZING", OFN_ENABLESIZING)})
        .enumeration(u"FontFlag", {value(u"CF_SCREENFONTS", CF_SCREENFONTS),
                                   value(u"CF_PRINTERFONTS", CF_PRINTERFONTS),
                                   value(u"CF_BOTH", CF_BOTH),
                                   value(u"CF_SHOWHELP", CF_SHOWHELP),
                                   value(u"CF_ENABLEHOOK", CF_ENABLEHOOK),
                                   value(u"CF_ENABLETEMPLATE", CF_ENABLETEMPLATE),
                                   value(u"CF_ENABLETEMPLATEHANDLE", CF_ENABLETEMPLATEHANDLE),
                                   value(u"CF_INITTOLOGFONTSTRUCT", CF_INITTOLOGFONTSTRUCT),
                                   value(u"CF_USESTYLE", CF_USESTYLE),
                                   value(u"CF_EFFECTS", CF_EFFECTS),
                                   value(u"CF_APPLY", CF_APPLY),
                                   value(u"CF_ANSIONLY", CF_ANSIONLY),
                                   value(u"CF_SCRIPTSONLY", CF_SCRIPTSONLY),
                                   value(u"CF_NOVECTORFONTS", CF_NOVECTORFONTS),
                                   value(u"CF_NOOEMFONTS", CF_NOOEMFONTS),
                                   value(u"CF_NOSIMULATIONS", CF_NOSIMULATIONS),
                                   value(u"CF_LIMITSIZE", CF_LIMITSIZE),
                                   value(u"CF_FIXEDPITCHONLY", CF_FIXEDPITCHONLY),
                                   value(u"CF_WYSIWYG", CF_WYSIWYG),
                                   value(u"CF_FORCEFONTEXIST", CF_FORCEFONTEXIST),
                                   value(u"CF_SCALABLEONLY", CF_SCALABLEONLY),
                                   value(u"CF_TTONLY", CF_TTONLY),
                                   value(u"CF_NOFACESEL", CF_NOFACESEL),
                                   value(u"CF_NOSTYLESEL", CF_NOSTYLESEL),
                                   value(u"CF_NOSIZESEL", CF_NOSIZESEL),
                                   value(u"CF_SELECTSCRIPT", CF_SELECTSCRIPT),
                                   value(u"CF_NOSCRIPTSEL", CF_NOSCRIPTSEL),
                                   value(u"CF_NOVERTFONTS", CF_NOVERTFONTS)})
        .enumeration(u"ColorFlag",
                     {value(u"CC_RGBINIT", CC_RGBINIT), value(u"CC_FULLOPEN", CC_FULLOPEN),
                      value(u"CC_PREVENTFULLOPEN", CC_PREVENTFULLOPEN), value(u"CC_SHOWHELP", CC_SHOWHELP),
                      value(u"CC_ENABLEHOOK", CC_ENABLEHOOK), value(u"CC_ENABLETEMPLATE", CC_ENABLETEMPLATE),
                      value(u"CC_ENABLETEMPLATEHANDLE", CC_ENABLETEMPLATEHANDLE),
                      value(u"CC_SOLIDCOLOR", CC_SOLIDCOLOR), value(u"CC_ANYCOLOR", CC_ANYCOLOR)})
        .enumeration(u"PrintDlgFlag", {value(u"PD_ALLPAGES", PD_ALLPAGES),
                                       value(u"PD_SELECTION", PD_SELECTION),
                                       value(u"PD_PAGENUMS", PD_PAGENUMS),
                                       value(u"PD_NOSELECTION", PD_NOSELECTION),
                                       value(u"PD_NOPAGENUMS", PD_NOPAGENUMS),
                                       value(u"PD_COLLATE", PD_COLLATE),
                                       value(u"PD_PRINTTOFILE", PD_PRINTTOFILE),
                                       value(u"PD_PRINTSETUP", PD_PRINTSETUP),
                                       value(u"PD_NOWARNING", PD_NOWARNING),
                                       value(u"PD_RETURNDC", PD_RETURNDC),
                                       value(u"PD_RETURNIC", PD_RETURNIC),
                                       value(u"PD_RETURNDEFAULT", PD_RETURNDEFAULT),
                                       value(u"PD_SHOWHELP", PD_SHOWHELP),
                                       value(u"PD_ENABLEPRINTHOOK", PD_ENABLEPRINTHOOK),
                                       value(u"PD_ENABLESETUPHOOK", PD_ENABLESETUPHOOK),
                                       value(u"PD_ENABLEPRINTTEMPLATE", PD_ENABLEPRINTTEMPLATE),
                                       value(u"PD_ENABLESETUPTEMPLATE", PD_ENABLESETUPTEMPLATE),
                                       value(u"PD_ENABLEPRINTTEMPLATEHANDLE", PD_ENABLEPRINTTEMPLATEHANDLE),
                                       value(u"PD_ENABLESETUPTEMPLATEHANDLE", PD_ENABLESETUPTEMPLATEHANDLE),
                                       value(u"PD_USEDEVMODECOPIES", PD_USEDEVMODECOPIES),
                                       value(u"PD_USEDEVMODECOPIESANDCOLLATE", PD_USEDEVMODECOPIESANDCOLLATE),
                                       value(u"PD_DISABLEPRINTTOFILE", PD_DISABLEPRINTTOFILE),
                                       value(u"PD_HIDEPRINTTOFILE", PD_HIDEPRINTTOFILE),
                                       value(u"PD_NONETWORKBUTTON", PD_NONETWORKBUTTON)})
        .enumeration(
            u"BrowseFlag",
            {value(u"BIF_RETURNONLYFSDIRS", BIF_RETURNONLYFSDIRS),
             value(u"BIF_DONTGOBELOWDOMAIN", BIF_DONTGOBELOWDOMAIN), value(u"BIF_STATUSTEXT", BIF_STATUSTEXT),
             value(u"BIF_RETURNFSANCESTORS", BIF_RETURNFSANCESTORS), value(u"BIF_EDITBOX", BIF_EDITBOX),
             value(u"BIF_VALIDATE", BIF_VALIDATE), value(u"BIF_BROWSEFORCOMPUTER", BIF_BROWSEFORCOMPUTER),
             value(u"BIF_BROWSEFORPRINTER", BIF_BROWSEFORPRINTER),
             value(u"BIF_BROWSEINCLUDEFILES", BIF_BROWSEINCLUDEFILES)})
        .enumeration(u"EDialogError", {value(u"CDERR_DIALOGFAILURE", CDERR_DIALOGFAILURE),
                                       value(u"CDERR_GENERALCODES", CDERR_GENERALCODES),
                                       value(u"CDERR_STRUCTSIZE", CDERR_STRUCTSIZE),
                                       value(u"CDERR_INITIALIZATION", CDERR_INITIALIZATION),
                                       value(u"CDERR_NOTEMPLATE", CDERR_NOTEMPLATE),
                                       value(u"CDERR_NOHINSTANCE", CDERR_NOHINSTANCE),
                                       value(u"CDERR_LOADSTRFAILURE", CDERR_LOADSTRFAILURE),
                                       value(u"CDERR_FINDRESFAILURE", CDERR_FINDRESFAILURE),
                                       value(u"CDERR_LOADRESFAILURE", CDERR_LOADRESFAILURE),
                                       value(u"CDERR_LOCKRESFAILURE", CDERR_LOCKRESFAILURE),
                                       value(u"CDERR_MEMALLOCFAILURE", CDERR_MEMALLOCFAILURE),
                                       value(u"CDERR_MEMLOCKFAILURE", CDERR_MEMLOCKFAILURE),
                                       value(u"CDERR_NOHOOK", CDERR_NOHOOK),
                                       value(u"CDERR_REGISTERMSGFAIL", CDERR_REGISTERMSGFAIL),
                                       value(u"PDERR_PRINTERCODES", PDERR_PRINTERCODES),
                                       value(u"PDERR_SETUPFAILURE", PDERR_SETUPFAILURE),
                                       value(u"PDERR_PARSEFAILURE", PDERR_PARSEFAILURE),
                                       value(u"PDERR_RETDEFFAILURE", PDERR_RETDEFFAILURE),
                                       value(u"PDERR_LOADDRVFAILURE", PDERR_LOADDRVFAILURE),
                                       value(u"PDERR_GETDEVMODEFAIL", PDERR_GETDEVMODEFAIL),
                                       value(u"PDERR_INITFAILURE", PDERR_INITFAILURE),
                                       value(u"PDERR_NODEVICES", PDERR_NODEVICES),
                                       value(u"PDERR_NODEFAULTPRN", PDERR_NODEFAULTPRN),
                                       value(u"PDERR_DNDMMISMATCH", PDERR_DNDMMISMATCH),
                                       value(u"PDERR_CREATEICFAILURE", PDERR_CREATEICFAILURE),
                                       value(u"PDERR_PRINTERNOTFOUND", PDERR_PRINTERNOTFOUND),
                                       value(u"PDERR_DEFAULTDIFFERENT", PDERR_DEFAULTDIFFERENT),
                                       value(u"CFERR_CHOOSEFONTCODES", CFERR_CHOOSEFONTCODES),
                                       value(u"CFERR_NOFONTS", CFERR_NOFONTS),
                                       value(u"CFERR_MAXLESSTHANMIN", CFERR_MAXLESSTHANMIN),
                                       value(u"FNERR_FILENAMECODES", FNERR_FILENAMECODES),
                                       value(u"FNERR_SUBCLASSFAILURE", FNERR_SUBCLASSFAILURE),
                                       value(u"FNERR_INVALIDFILENAME", FNERR_INVALIDFILENAME),
                                       value(u"FNERR_BUFFERTOOSMALL", FNERR_BUFFERTOOSMALL),
                                       value(u"CCERR_CHOOSECOLORCODES", CCERR_CHOOSECOLORCODES)});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
