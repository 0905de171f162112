// The HTML Help viewer window: the contents tree, the keyword index and a search pane beside the topic,
// which a browser pane shows from inside the help file (links between topics, style sheets and pictures
// are read from the file; links elsewhere are not followed).
#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/win32types.h"
#include "ui/ChmFile.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;

namespace velmora {

class HelpPage;

class HelpViewer : public QWidget {
    Q_OBJECT

  public:
    enum Pane { Contents = 0, Index = 1, Search = 2 };

    HelpViewer(std::unique_ptr<ChmFile> file, std::string path, QWidget* owner);
    ~HelpViewer() override;

    const std::string& path() const noexcept { return m_path; }
    const ChmFile& file() const noexcept { return *m_file; }
    // Shows a topic of the file; false (and nothing changes) when the file has no such topic.
    bool showTopic(const std::string& topic);
    const std::string& currentTopic() const noexcept { return m_topic; }
    void showPane(Pane pane);
    Pane currentPane() const;
    void selectKeyword(const QString& keyword);
    void setSearch(const QString& query, bool run);

    QTreeWidget* contentsTree() const noexcept { return m_contents; }
    QListWidget* indexList() const noexcept { return m_index; }
    QListWidget* searchResults() const noexcept { return m_results; }
    QTextBrowser* page() const noexcept;

    // The window notified of navigation (WM_NOTIFY), 0 for none.
    void setNotifyWindow(HWND window) noexcept { m_notify = window; }

  private:
    void fillContents();
    void fillIndex();
    void runSearch();

    std::unique_ptr<ChmFile> m_file;
    std::string m_path;
    std::string m_topic;
    HWND m_notify = 0;
    QTabWidget* m_panes = nullptr;
    QTreeWidget* m_contents = nullptr;
    QLineEdit* m_keyword = nullptr;
    QListWidget* m_index = nullptr;
    QLineEdit* m_query = nullptr;
    QListWidget* m_results = nullptr;
    HelpPage* m_page = nullptr;
};

}  // namespace velmora
