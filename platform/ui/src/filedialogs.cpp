// GetOpenFileNameA and GetSaveFileNameA on Qt's own (not the desktop's) file dialog, so that the hook can
// place it and tests can drive it.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CommonDialogSupport.h"
#include "platform/paths.h"
#include "ui/WindowHandles.h"
#include "ui/commdlg.h"

namespace velmora {
namespace {

struct FilterPair {
    std::string description;
    std::string pattern;
};

// Pairs up to the empty description that ends the list; a description without its pattern is dropped.
std::vector<FilterPair> filterPairs(const char* filter) {
    std::vector<FilterPair> pairs;
    if (!filter) return pairs;
    const char* at = filter;
    while (*at) {
        FilterPair pair;
        pair.description = at;
        at += pair.description.size() + 1;
        if (!*at) break;
        pair.pattern = at;
        at += pair.pattern.size() + 1;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// "Text files (*.txt *.text)": Qt reads the patterns from the last parentheses and, with
// HideNameFilterDetails, shows the description alone.
QString qtFilter(const FilterPair& pair) {
    QString patterns =
        QString::fromUtf8(pair.pattern).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
    return QString::fromUtf8(pair.description) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

std::string suitePath(const QString& native) {
    return toSuitePath(native.toStdString());
}

std::size_t nameStart(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The hook of an explorer-style dialog gets an inner page whose parent is the dialog; others the dialog.
void callHook(QFileDialog& dialog, const OPENFILENAMEA& ofn) {
    if (!(ofn.Flags & OFN_ENABLEHOOK) || !ofn.lpfnHook) return;
    auto* page = (ofn.Flags & OFN_EXPLORER)
                     ? dialog.findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
                     : nullptr;
    if (page)
        ofn.lpfnHook(handleOf(page), WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&ofn));
    else
        ofn.lpfnHook(handleOf(&dialog), WM_INITDIALOG, 1, reinterpret_cast<LPARAM>(&ofn));
}

// Writes the chosen names into the record; false (FNERR_BUFFERTOOSMALL) when they do not fit.
bool storeResult(OPENFILENAMEA& ofn, const QStringList& chosen) {
    std::string buffer;
    WORD offset = 0;
    WORD extension = 0;
    std::string title;
    if (chosen.size() > 1) {
        // Folder NUL name NUL name NUL NUL.
        std::string folder = suitePath(QFileInfo(chosen.front()).absolutePath());
        if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
        buffer = folder;
        buffer.push_back('\0');
        offset = static_cast<WORD>(buffer.size());
        for (const QString& file : chosen) {
            buffer += QFileInfo(file).fileName().toStdString();
            buffer.push_back('\0');
        }
        title = QFileInfo(chosen.front()).fileName().toStdString();
    } else {
        buffer = suitePath(chosen.front());
        offset = static_cast<WORD>(nameStart(buffer));
        title = buffer.substr(offset);
        const auto dot = title.find_last_of('.');
        extension = dot == std::string::npos ? 0 : static_cast<WORD>(offset + dot + 1);
    }
    buffer.push_back('\0');
    if (ofn.nMaxFile < buffer.size()) {
        if (ofn.nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<std::size_t>(buffer.size(), 0xFFFF));
            std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
        }
        setDialogError(FNERR_BUFFERTOOSMALL);
        return false;
    }
    std::memcpy(ofn.lpstrFile, buffer.data(), buffer.size());
    ofn.nFileOffset = offset;
    ofn.nFileExtension = extension;
    if (ofn.lpstrFileTitle) copyTruncated(title, ofn.lpstrFileTitle, ofn.nMaxFileTitle);
    return true;
}

BOOL showFileDialog(LPOPENFILENAMEA ofn, bool save) {
    setDialogError(0);
    if (!ofn ||
        (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400 &&
         ofn->lStructSize != OPENFILENAME_SIZE_VERSION_500)) {
        setDialogError(CDERR_STRUCTSIZE);
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        setDialogError(CDERR_INITIALIZATION);
        return FALSE;
    }
    const DialogApplication application;
    if (!application.available()) {
        setDialogError(CDERR_DIALOGFAILURE);
        return FALSE;
    }

    QFileDialog dialog(dialogOwner(ofn->hwndOwner));
    dialog.setObjectName(save ? QStringLiteral("dlgSaveFile") : QStringLiteral("dlgOpenFile"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    nameBlankCells(dialog);
    const std::string title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
    dialog.setWindowTitle(!title.empty() ? QString::fromUtf8(title)
                          : save         ? QStringLiteral("Save As")
                                         : QStringLiteral("Open"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(ofn->Flags & OFN_OVERWRITEPROMPT));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((ofn->Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                           : (ofn->Flags & OFN_FILEMUSTEXIST)  ? QFileDialog::ExistingFile
                                                               : QFileDialog::AnyFile);
    }
    if (ofn->Flags & OFN_FORCESHOWHIDDEN) dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (ofn->lpstrDefExt && *ofn->lpstrDefExt) dialog.setDefaultSuffix(QString::fromUtf8(ofn->lpstrDefExt));

    const std::vector<FilterPair> pairs = filterPairs(ofn->lpstrFilter);
    QStringList filters;
    for (const FilterPair& pair : pairs) filters << qtFilter(pair);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const DWORD index =
            ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= pairs.size() ? ofn->nFilterIndex : 1;
        dialog.selectNameFilter(filters[static_cast<int>(index - 1)]);
    }

    if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir) {
        const std::string folder = toNativePath(ofn->lpstrInitialDir);
        if (!folder.empty()) dialog.setDirectory(QString::fromStdString(folder));
    }
    const std::string initial = boundedText(ofn->lpstrFile, ofn->nMaxFile);
    if (!initial.empty()) {
        const std::string native = toNativePath(initial);
        const QFileInfo info(QString::fromStdString(native));
        if (initial.find_first_of("\\/") != std::string::npos && info.dir().exists())
            dialog.setDirectory(info.dir());
        dialog.selectFile(info.fileName());
    }

    FirstShow hook(dialog, [&dialog, ofn] { callHook(dialog, *ofn); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return FALSE;

    // Depending on the Qt release the choice comes back with or without its patterns.
    const QString selected = dialog.selectedNameFilter();
    for (std::size_t i = 0; i < pairs.size(); ++i)
        if (selected == filters[static_cast<int>(i)] || selected == QString::fromUtf8(pairs[i].description)) {
            ofn->nFilterIndex = static_cast<DWORD>(i + 1);
            break;
        }
    return storeResult(*ofn, dialog.selectedFiles()) ? TRUE : FALSE;
}

}  // namespace
}  // namespace velmora

BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    return velmora::showFileDialog(lpofn, false);
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn) {
    return velmora::showFileDialog(lpofn, true);
}
