// PageSetupDlgA and PrintDlgA on Qt Print Support's dialogs.
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstring>
#include <string>

#include "CommonDialogSupport.h"
#include "ui/WindowHandles.h"
#include "ui/commdlg.h"

namespace velmora {
namespace {

void callHook(QWidget& dialog, LPOFNHOOKPROC hook, bool enabled, LPARAM record) {
    if (enabled && hook) hook(handleOf(&dialog), WM_INITDIALOG, 1, record);
}

// The device name the record starts with: the device-mode block's, else the device-names block's.
std::string requestedPrinter(const DEVMODEA* mode, const DEVNAMES* names) {
    if (mode && mode->dmDeviceName[0]) return boundedText(mode->dmDeviceName, CCHDEVICENAME);
    if (names && names->wDeviceOffset >= sizeof(DEVNAMES))
        return boundedText(reinterpret_cast<const char*>(names) + names->wDeviceOffset, CCHDEVICENAME);
    return {};
}

void preparePrinter(QPrinter& printer, const DEVMODEA* mode, const DEVNAMES* names) {
    const std::string name = requestedPrinter(mode, names);
    if (!name.empty()) printer.setPrinterName(QString::fromStdString(name));
    if (!mode) return;
    if (mode->dmFields & DM_ORIENTATION)
        printer.setPageOrientation(mode->dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                             : QPageLayout::Portrait);
    if ((mode->dmFields & DM_COPIES) && mode->dmCopies > 0) printer.setCopyCount(mode->dmCopies);
    if (mode->dmFields & DM_DUPLEX)
        printer.setDuplex(mode->dmDuplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                          : mode->dmDuplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                               : QPrinter::DuplexNone);
    if (mode->dmFields & DM_COLLATE) printer.setCollateCopies(mode->dmCollate != 0);
}

void readBack(const QPrinter& printer, DEVMODEA* mode) {
    if (!mode) return;
    copyTruncated(printer.printerName().toStdString(), mode->dmDeviceName, CCHDEVICENAME);
    mode->dmFields |= DM_ORIENTATION | DM_COPIES | DM_DUPLEX | DM_COLLATE;
    mode->dmOrientation =
        printer.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode->dmCopies = static_cast<short>(printer.copyCount());
    mode->dmDuplex = printer.duplex() == QPrinter::DuplexLongSide    ? DMDUP_VERTICAL
                     : printer.duplex() == QPrinter::DuplexShortSide ? DMDUP_HORIZONTAL
                                                                     : DMDUP_SIMPLEX;
    mode->dmCollate = printer.collateCopies() ? 1 : 0;
}

}  // namespace

std::vector<std::string> installedPrinters() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(name.toStdString());
    return names;
}

std::string defaultPrinter() {
    return QPrinterInfo::defaultPrinterName().toStdString();
}

}  // namespace velmora

BOOL PageSetupDlgA(LPPAGESETUPDLGA lppsd) {
    using namespace velmora;
    setDialogError(0);
    if (!lppsd || lppsd->lStructSize < 84) {
        setDialogError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    const DialogApplication application;
    if (!application.available()) {
        setDialogError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    QPrinter printer;
    preparePrinter(printer, lppsd->hDevMode, lppsd->hDevNames);
    QPageSetupDialog dialog(&printer, dialogOwner(lppsd->hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgPageSetup"));
    dialog.setWindowTitle(QStringLiteral("Page Setup"));
    FirstShow hook(dialog, [&dialog, lppsd] {
        callHook(dialog, lppsd->lpfnPageSetupHook, lppsd->Flags & PSD_ENABLEPAGESETUPHOOK,
                 reinterpret_cast<LPARAM>(lppsd));
    });
    if (dialog.exec() != QDialog::Accepted) return FALSE;
    readBack(printer, lppsd->hDevMode);
    return TRUE;
}

BOOL PrintDlgA(LPPRINTDLGA lppd) {
    using namespace velmora;
    setDialogError(0);
    if (!lppd || lppd->lStructSize < 66) {
        setDialogError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    const DialogApplication application;
    if (!application.available()) {
        setDialogError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    QPrinter printer;
    preparePrinter(printer, lppd->hDevMode, lppd->hDevNames);
    if (lppd->nCopies > 0 && !(lppd->hDevMode && (lppd->hDevMode->dmFields & DM_COPIES)))
        printer.setCopyCount(lppd->nCopies);
    QPrintDialog dialog(&printer, dialogOwner(lppd->hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    dialog.setWindowTitle(QStringLiteral("Print"));
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, !(lppd->Flags & PD_NOSELECTION));
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !(lppd->Flags & PD_NOPAGENUMS));
    options.setFlag(QAbstractPrintDialog::PrintToFile, !(lppd->Flags & PD_DISABLEPRINTTOFILE));
    options.setFlag(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOptions(options);
    if (lppd->nMaxPage > 0) dialog.setMinMax(lppd->nMinPage, lppd->nMaxPage);
    FirstShow hook(dialog, [&dialog, lppd] {
        callHook(dialog, lppd->lpfnPrintHook, lppd->Flags & PD_ENABLEPRINTHOOK,
                 reinterpret_cast<LPARAM>(lppd));
    });
    if (dialog.exec() != QDialog::Accepted) return FALSE;
    readBack(printer, lppd->hDevMode);
    lppd->nCopies = static_cast<WORD>(printer.copyCount());
    if (printer.printRange() == QPrinter::PageRange) {
        lppd->Flags = (lppd->Flags & ~(PD_SELECTION | PD_PAGENUMS)) | PD_PAGENUMS;
        lppd->nFromPage = static_cast<WORD>(printer.fromPage());
        lppd->nToPage = static_cast<WORD>(printer.toPage());
    }
    return TRUE;
}
