#include "ui/htmlhelp.h"

#include <QPointer>
#include <string>
#include <vector>

#include "UiState.h"
#include "platform/library.h"
#include "platform/messagebox.h"
#include "platform/paths.h"
#include "ui/HelpViewer.h"
#include "ui/WindowHandles.h"
#include "ui/messages.h"

namespace {

using velmora::HelpViewer;

std::vector<QPointer<HelpViewer>>& viewers() {
    static std::vector<QPointer<HelpViewer>> open;
    std::erase_if(open, [](const QPointer<HelpViewer>& v) { return v.isNull(); });
    return open;
}

struct Target {
    std::string file;
    std::string topic;
};

// "file.chm::/topic.htm>window": the window type is dropped.
Target parseTarget(std::string text) {
    if (const std::size_t window = text.rfind('>'); window != std::string::npos) text.erase(window);
    Target target;
    if (const std::size_t topic = text.find("::"); topic != std::string::npos) {
        target.topic = text.substr(topic + 2);
        text.erase(topic);
    }
    target.file = text;
    return target;
}

// The viewer of a help file, made (and announced to the caller) when there is none yet.
HelpViewer* viewerFor(HWND caller, const std::string& file) {
    if (!velmora::uiState() || file.empty()) return nullptr;
    const std::string native = velmora::toNativePath(file);
    for (const auto& viewer : viewers())
        if (viewer->path() == native) return viewer.data();
    std::unique_ptr<velmora::ChmFile> chm = velmora::ChmFile::open(native);
    if (!chm) return nullptr;
    auto* viewer = new HelpViewer(std::move(chm), native, velmora::widgetOf(caller));
    viewers().emplace_back(viewer);
    viewer->setNotifyWindow(caller);
    if (caller) {
        HHN_NOTIFY note{{velmora::handleOf(viewer), 0, HHN_WINDOW_CREATE}, ""};
        SendMessageA(caller, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
    }
    return viewer;
}

HWND present(HelpViewer* viewer) {
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return velmora::handleOf(viewer);
}

std::vector<std::string> splitKeywords(const char* text) {
    std::vector<std::string> words;
    std::string all = text ? text : "";
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t semi = std::min(all.find(';', start), all.size());
        std::string word = all.substr(start, semi - start);
        const auto first = word.find_first_not_of(' ');
        if (first != std::string::npos)
            words.push_back(word.substr(first, word.find_last_not_of(' ') - first + 1));
        start = semi + 1;
    }
    return words;
}

HWND lookUp(HWND caller, HelpViewer* viewer, const HH_AKLINK* link, bool associative) {
    if (!link || link->cbStruct < static_cast<int>(sizeof(HH_AKLINK))) return 0;
    for (const std::string& word : splitKeywords(link->pszKeywords)) {
        const auto hits = associative ? viewer->file().alinkTopics(word) : viewer->file().keywordTopics(word);
        if (!hits.empty() && viewer->showTopic(hits.front().local)) return present(viewer);
    }
    if (link->fIndexOnFail) {
        viewer->showPane(HelpViewer::Index);
        if (link->pszKeywords) viewer->selectKeyword(QString::fromUtf8(link->pszKeywords));
        return present(viewer);
    }
    if (link->pszUrl && viewer->showTopic(link->pszUrl)) return present(viewer);
    if (link->pszMsgText && *link->pszMsgText)
        MessageBoxA(caller, link->pszMsgText, link->pszMsgTitle, MB_OK);
    return 0;
}

}  // namespace

HWND HtmlHelpA(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData) {
    if (uCommand == HH_CLOSE_ALL) {
        // At once, as the platform does: no viewer outlives the call.
        const std::vector<QPointer<HelpViewer>> open = viewers();
        for (const auto& viewer : open) delete viewer.data();
        return 0;
    }
    if (!pszFile) return 0;
    const Target target = parseTarget(pszFile);
    HelpViewer* viewer = viewerFor(hwndCaller, target.file);
    if (!viewer) return 0;
    switch (uCommand) {
        case HH_DISPLAY_TOPIC: {
            const char* topic = reinterpret_cast<const char*>(dwData);
            const std::string wanted = topic ? topic : target.topic;
            if (!viewer->showTopic(wanted)) {
                if (viewer->currentTopic().empty() && !viewer->isVisible()) viewer->close();
                return 0;
            }
            return present(viewer);
        }
        case HH_DISPLAY_TOC:
            if (viewer->currentTopic().empty()) viewer->showTopic(target.topic);
            viewer->showPane(HelpViewer::Contents);
            return present(viewer);
        case HH_DISPLAY_INDEX:
            if (viewer->currentTopic().empty()) viewer->showTopic(target.topic);
            viewer->showPane(HelpViewer::Index);
            if (dwData) viewer->selectKeyword(QString::fromUtf8(reinterpret_cast<const char*>(dwData)));
            return present(viewer);
        case HH_DISPLAY_SEARCH: {
            if (viewer->currentTopic().empty()) viewer->showTopic(target.topic);
            viewer->showPane(HelpViewer::Search);
            const auto* query = reinterpret_cast<const HH_FTS_QUERY*>(dwData);
            if (query && query->cbStruct >= static_cast<int>(sizeof(HH_FTS_QUERY)) && query->pszSearchQuery)
                viewer->setSearch(QString::fromUtf8(query->pszSearchQuery), query->fExecute != 0);
            return present(viewer);
        }
        case HH_HELP_CONTEXT: {
            const auto topic = viewer->file().topicOfContext(static_cast<std::uint32_t>(dwData));
            if (!topic || !viewer->showTopic(*topic)) return 0;
            return present(viewer);
        }
        case HH_KEYWORD_LOOKUP:
        case HH_ALINK_LOOKUP:
            return lookUp(hwndCaller, viewer, reinterpret_cast<const HH_AKLINK*>(dwData),
                          uCommand == HH_ALINK_LOOKUP);
        default:
            return 0;
    }
}

namespace velmora {

std::string htmlHelpLibraryPath() {
    static const char inThisLibrary = 0;
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            &inThisLibrary, &module))
        return {};
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}

}  // namespace velmora
