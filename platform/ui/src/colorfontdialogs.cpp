// ChooseColorA and ChooseFontA on Qt's own colour and font dialogs.
#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMap>
#include <cmath>
#include <cstring>
#include <string>

#include "CommonDialogSupport.h"
#include "ui/WindowHandles.h"
#include "ui/commdlg.h"
#include "ui/devicecaps.h"

namespace velmora {
namespace {

constexpr int kCustomColors = 16;

QColor fromColorRef(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

COLORREF toColorRef(const QColor& color) {
    return static_cast<COLORREF>(color.red()) | static_cast<COLORREF>(color.green()) << 8 |
           static_cast<COLORREF>(color.blue()) << 16;
}

template <class Record>
void callHook(QWidget& dialog, const Record& record, DWORD hookFlag) {
    if ((record.Flags & hookFlag) && record.lpfnHook)
        record.lpfnHook(handleOf(&dialog), WM_INITDIALOG, 1, reinterpret_cast<LPARAM>(&record));
}

// The face name cut to at most 31 bytes without splitting a UTF-8 character.
std::string faceName(const QString& family) {
    std::string face = family.toStdString();
    if (face.size() < LF_FACESIZE) return face;
    std::size_t cut = LF_FACESIZE - 1;
    while (cut > 0 && (static_cast<unsigned char>(face[cut]) & 0xC0) == 0x80) --cut;
    return face.substr(0, cut);
}

// Qt's font dialog heads each column (face, style, size) with one label, tied to one of the column's
// controls at most: every control of the column is named after it, for a screen reader.
void nameColumnsAfterLabels(QWidget& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) return;
    QMap<int, QString> heading;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(i, &row, &column, &rows, &columns);
        if (auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget()); label && label->buddy())
            heading.insert(column, label->text().remove(QLatin1Char('&')));
    }
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(i, &row, &column, &rows, &columns);
        QWidget* control = grid->itemAt(i)->widget();
        if (control && !qobject_cast<QLabel*>(control) && control->accessibleName().isEmpty() &&
            heading.contains(column))
            control->setAccessibleName(heading.value(column));
    }
}

}  // namespace
}  // namespace velmora

BOOL ChooseColorA(LPCHOOSECOLORA lpcc) {
    using namespace velmora;
    setDialogError(0);
    if (!lpcc || lpcc->lStructSize < 36) {
        setDialogError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    if (!lpcc->lpCustColors) {
        setDialogError(CDERR_INITIALIZATION);
        return FALSE;
    }
    const DialogApplication application;
    if (!application.available()) {
        setDialogError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    // Qt keeps the custom colours per process: lend it the caller's for this dialog.
    for (int i = 0; i < kCustomColors; ++i)
        QColorDialog::setCustomColor(i, fromColorRef(lpcc->lpCustColors[i]));
    QColorDialog dialog(dialogOwner(lpcc->hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgColor"));
    dialog.setWindowTitle(QStringLiteral("Color"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setCurrentColor((lpcc->Flags & CC_RGBINIT) ? fromColorRef(lpcc->rgbResult) : QColor(Qt::black));
    FirstShow hook(dialog, [&dialog, lpcc] { callHook(dialog, *lpcc, CC_ENABLEHOOK); });
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < kCustomColors; ++i) lpcc->lpCustColors[i] = toColorRef(QColorDialog::customColor(i));
    if (!confirmed) return FALSE;
    lpcc->rgbResult = toColorRef(dialog.selectedColor());
    return TRUE;
}

BOOL ChooseFontA(LPCHOOSEFONTA lpcf) {
    using namespace velmora;
    setDialogError(0);
    if (!lpcf || lpcf->lStructSize < 60) {
        setDialogError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    if (!lpcf->lpLogFont) {
        setDialogError(CDERR_INITIALIZATION);
        return FALSE;
    }
    if ((lpcf->Flags & CF_LIMITSIZE) && lpcf->nSizeMax < lpcf->nSizeMin) {
        setDialogError(CFERR_MAXLESSTHANMIN);
        return FALSE;
    }
    const DialogApplication application;
    if (!application.available()) {
        setDialogError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    const int dpi = GetDeviceCaps(lpcf->hDC, LOGPIXELSY);
    LOGFONTA& logFont = *lpcf->lpLogFont;
    QFont initial;
    if (lpcf->Flags & CF_INITTOLOGFONTSTRUCT) {
        const std::string face = boundedText(logFont.lfFaceName, LF_FACESIZE);
        if (!face.empty()) initial.setFamily(QString::fromStdString(face));
        if (logFont.lfHeight != 0 && dpi > 0)
            initial.setPointSizeF(std::abs(static_cast<double>(logFont.lfHeight)) * 72.0 / dpi);
        initial.setBold(logFont.lfWeight >= 600);
        initial.setItalic(logFont.lfItalic != 0);
        initial.setUnderline(logFont.lfUnderline != 0);
        initial.setStrikeOut(logFont.lfStrikeOut != 0);
    }
    QFontDialog dialog(initial, dialogOwner(lpcf->hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgFont"));
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (lpcf->Flags & CF_FIXEDPITCHONLY) dialog.setOption(QFontDialog::MonospacedFonts);
    if (lpcf->Flags & CF_SCALABLEONLY) dialog.setOption(QFontDialog::ScalableFonts);
    nameColumnsAfterLabels(dialog);
    FirstShow hook(dialog, [&dialog, lpcf] { callHook(dialog, *lpcf, CF_ENABLEHOOK); });
    if (dialog.exec() != QDialog::Accepted) return FALSE;

    const QFont chosen = dialog.selectedFont();
    const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pixelSize() * 72.0 / dpi;
    const std::string face = faceName(chosen.family());
    std::memset(logFont.lfFaceName, 0, sizeof logFont.lfFaceName);
    std::memcpy(logFont.lfFaceName, face.data(), face.size());
    logFont.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    logFont.lfWeight = chosen.bold() ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = chosen.italic() ? 1 : 0;
    logFont.lfUnderline = chosen.underline() ? 1 : 0;
    logFont.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    lpcf->iPointSize = static_cast<INT>(std::lround(points * 10));
    lpcf->nFontType = SCREEN_FONTTYPE | (chosen.bold() || chosen.italic() ? 0 : REGULAR_FONTTYPE);
    return TRUE;
}
