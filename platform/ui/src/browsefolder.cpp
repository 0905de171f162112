// SHBrowseForFolderA: Qt's folder dialog for the file system, a list of known computers for the network.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CommonDialogSupport.h"
#include "platform/paths.h"
#include "platform/systeminfo.h"
#include "ui/WindowHandles.h"
#include "ui/commdlg.h"
#include "ui/messages.h"

struct ITEMIDLIST {
    bool network = false;  // the network neighbourhood itself
    std::string path;      // drive path of a folder; empty for a computer
    std::string displayName;
};

namespace velmora {
namespace {

// The folder browser, which answers BFFM_SETSELECTIONA as the original's does.
class FolderBrowser : public QFileDialog, public WindowMessageTarget {
  public:
    using QFileDialog::QFileDialog;

    LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != BFFM_SETSELECTIONA || !wParam || !lParam) return 0;
        const std::string folder = toNativePath(reinterpret_cast<const char*>(lParam));
        if (!folder.empty()) setDirectory(QString::fromStdString(folder));
        return 1;
    }
};

LPITEMIDLIST newItem(ITEMIDLIST item) {
    return std::make_unique<ITEMIDLIST>(std::move(item)).release();
}

void callBack(QWidget& dialog, const BROWSEINFOA& info) {
    if (info.lpfn) info.lpfn(handleOf(&dialog), BFFM_INITIALIZED, 0, info.lParam);
}

LPITEMIDLIST browseFolders(const BROWSEINFOA& info) {
    FolderBrowser dialog(dialogOwner(info.hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgBrowseFolder"));
    const std::string title = info.lpszTitle ? info.lpszTitle : "";
    dialog.setWindowTitle(title.empty() ? QStringLiteral("Browse for Folder") : QString::fromUtf8(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode((info.ulFlags & BIF_BROWSEINCLUDEFILES) ? QFileDialog::ExistingFile
                                                               : QFileDialog::Directory);
    if (!(info.ulFlags & BIF_BROWSEINCLUDEFILES)) dialog.setOption(QFileDialog::ShowDirsOnly);
    nameBlankCells(dialog);
    FirstShow hook(dialog, [&dialog, &info] { callBack(dialog, info); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    ITEMIDLIST item;
    item.path = toSuitePath(dialog.selectedFiles().front().toStdString());
    const auto slash = item.path.find_last_of('\\', item.path.size() > 1 ? item.path.size() - 2 : 0);
    item.displayName = slash == std::string::npos ? item.path : item.path.substr(slash + 1);
    if (!item.displayName.empty() && item.displayName.back() == '\\') item.displayName.pop_back();
    if (info.pszDisplayName) copyTruncated(item.displayName, info.pszDisplayName, MAX_PATH);
    return newItem(std::move(item));
}

LPITEMIDLIST browseComputers(const BROWSEINFOA& info) {
    QDialog dialog(dialogOwner(info.hwndOwner));
    dialog.setObjectName(QStringLiteral("dlgBrowseComputer"));
    const std::string title = info.lpszTitle ? info.lpszTitle : "";
    dialog.setWindowTitle(title.empty() ? QStringLiteral("Browse for Computer") : QString::fromUtf8(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("&Computers:"), &dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstComputers"));
    label->setBuddy(list);
    list->setAccessibleName(QStringLiteral("Computers"));  // Qt names no list after its label
    for (const std::string& name : knownComputers()) list->addItem(QString::fromStdString(name));
    if (list->count() > 0) list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    list->setFocus();
    FirstShow hook(dialog, [&dialog, &info] { callBack(dialog, info); });
    if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return nullptr;
    ITEMIDLIST item;
    item.displayName = list->currentItem()->text().toStdString();
    if (info.pszDisplayName) copyTruncated(item.displayName, info.pszDisplayName, MAX_PATH);
    return newItem(std::move(item));
}

}  // namespace

std::vector<std::string> knownComputers() {
    std::vector<std::string> names;
    char own[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof own;
    if (GetComputerNameA(own, &size)) names.emplace_back(own);
    QFile hosts(QStringLiteral("/etc/hosts"));
    if (hosts.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!hosts.atEnd()) {
            QString line = QString::fromUtf8(hosts.readLine());
            line = line.left(line.indexOf(QLatin1Char('#'))).simplified();
            const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int i = 1; i < fields.size(); ++i) {
                // NetBIOS style, as the neighbourhood shows names: the host part, upper case.
                const std::string name = fields[i].section(QLatin1Char('.'), 0, 0).toUpper().toStdString();
                if (name.empty() || name == "LOCALHOST" || name.rfind("IP6-", 0) == 0) continue;
                if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
            }
        }
    }
    return names;
}

}  // namespace velmora

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl) {
    if (!ppidl) return static_cast<HRESULT>(0x80070057);
    *ppidl = nullptr;
    if (csidl != CSIDL_NETWORK) return static_cast<HRESULT>(0x80070057);
    ITEMIDLIST network;
    network.network = true;
    network.displayName = "Network";
    *ppidl = velmora::newItem(std::move(network));
    return 0;
}

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA lpbi) {
    using namespace velmora;
    if (!lpbi) return nullptr;
    const DialogApplication application;
    if (!application.available()) return nullptr;
    const bool computers =
        (lpbi->ulFlags & BIF_BROWSEFORCOMPUTER) || (lpbi->pidlRoot && lpbi->pidlRoot->network);
    return computers ? browseComputers(*lpbi) : browseFolders(*lpbi);
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (!pszPath) return FALSE;
    pszPath[0] = '\0';
    if (!pidl || pidl->path.empty()) return FALSE;
    return velmora::copyTruncated(pidl->path, pszPath, MAX_PATH) ? TRUE : FALSE;
}

void CoTaskMemFree(LPVOID pv) {
    std::unique_ptr<ITEMIDLIST>(static_cast<ITEMIDLIST*>(pv));
}
