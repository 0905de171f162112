#include "ui/HelpViewer.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "ui/WindowHandles.h"
#include "ui/htmlhelp.h"
#include "ui/messages.h"

namespace velmora {

namespace {

constexpr char kScheme[] = "chm";
constexpr int kTopicRole = Qt::UserRole;

QUrl topicUrl(const std::string& topic) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(QString::fromUtf8(topic.starts_with('/') ? topic : "/" + topic));
    return url;
}

}  // namespace

// The browser pane: every resource comes from the help file; nothing is fetched from elsewhere.
class HelpPage : public QTextBrowser {
  public:
    HelpPage(const ChmFile& file, QWidget* parent) : QTextBrowser(parent), m_file(file) {
        setOpenLinks(false);
        setOpenExternalLinks(false);
    }
    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() != kScheme) return {};
        const std::optional<std::string> object = m_file.read(name.path().toStdString());
        if (!object) return {};
        if (type == QTextDocument::ImageResource)
            return QByteArray(object->data(), static_cast<qsizetype>(object->size()));
        return QString::fromUtf8(object->data(), static_cast<qsizetype>(object->size()));
    }

  private:
    const ChmFile& m_file;
};

HelpViewer::HelpViewer(std::unique_ptr<ChmFile> file, std::string path, QWidget* owner)
    : QWidget(owner, Qt::Window), m_file(std::move(file)), m_path(std::move(path)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_file->title().empty() ? QStringLiteral("HTML Help")
                                           : QString::fromStdString(m_file->title()));
    resize(820, 560);

    m_panes = new QTabWidget;
    m_contents = new QTreeWidget;
    m_contents->setHeaderHidden(true);
    m_contents->setObjectName(QStringLiteral("Contents"));
    m_panes->addTab(m_contents, tr("Contents"));

    auto* indexPane = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPane);
    m_keyword = new QLineEdit;
    m_keyword->setPlaceholderText(tr("Type in the keyword to find"));
    m_index = new QListWidget;
    indexLayout->addWidget(m_keyword);
    indexLayout->addWidget(m_index);
    m_panes->addTab(indexPane, tr("Index"));

    auto* searchPane = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPane);
    m_query = new QLineEdit;
    m_query->setPlaceholderText(tr("Type in the word(s) to search for"));
    auto* listTopics = new QPushButton(tr("List Topics"));
    m_results = new QListWidget;
    searchLayout->addWidget(m_query);
    searchLayout->addWidget(listTopics);
    searchLayout->addWidget(m_results);
    m_panes->addTab(searchPane, tr("Search"));
    // Named for screen readers: a placeholder is not a name, and the panes have no labels of their own.
    m_panes->setAccessibleName(tr("Navigation"));
    m_contents->setAccessibleName(tr("Contents"));
    m_keyword->setAccessibleName(tr("Keyword"));
    m_index->setAccessibleName(tr("Index"));
    m_query->setAccessibleName(tr("Search for"));
    m_results->setAccessibleName(tr("Topics found"));

    m_page = new HelpPage(*m_file, this);
    m_page->setAccessibleName(tr("Topic"));
    auto* splitter = new QSplitter;
    splitter->addWidget(m_panes);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 580});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    fillContents();
    fillIndex();

    const auto openItem = [this](const QString& topic) {
        if (!topic.isEmpty()) showTopic(topic.toStdString());
    };
    QObject::connect(m_contents, &QTreeWidget::currentItemChanged, this, [openItem](QTreeWidgetItem* item) {
        if (item) openItem(item->data(0, kTopicRole).toString());
    });
    QObject::connect(m_index, &QListWidget::itemActivated, this,
                     [openItem](QListWidgetItem* item) { openItem(item->data(kTopicRole).toString()); });
    QObject::connect(m_results, &QListWidget::itemActivated, this,
                     [openItem](QListWidgetItem* item) { openItem(item->data(kTopicRole).toString()); });
    QObject::connect(m_keyword, &QLineEdit::textEdited, this,
                     [this](const QString& text) { selectKeyword(text); });
    QObject::connect(m_keyword, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* item = m_index->currentItem())
            showTopic(item->data(kTopicRole).toString().toStdString());
    });
    QObject::connect(m_query, &QLineEdit::returnPressed, this, [this] { runSearch(); });
    // A reader who came by keyboard leaves by keyboard: Escape closes the viewer as it closes a dialog.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    QObject::connect(close, &QShortcut::activated, this, &QWidget::close);
    QObject::connect(listTopics, &QPushButton::clicked, this, [this] { runSearch(); });
    QObject::connect(m_page, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == kScheme)
            showTopic(url.path().toStdString() +
                      (url.hasFragment() ? "#" + url.fragment().toStdString() : ""));
    });
}

HelpViewer::~HelpViewer() = default;

QTextBrowser* HelpViewer::page() const noexcept {
    return m_page;
}

void HelpViewer::fillContents() {
    std::vector<QTreeWidgetItem*> parents;
    for (const ChmFile::SiteMapEntry& entry : m_file->contents()) {
        const std::size_t level =
            std::min<std::size_t>(static_cast<std::size_t>(entry.level), parents.size());
        parents.resize(level);
        auto* item = parents.empty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.back());
        item->setText(0, QString::fromStdString(entry.name.empty() ? entry.local : entry.name));
        item->setData(0, kTopicRole, QString::fromStdString(entry.local));
        parents.push_back(item);
    }
    m_contents->expandAll();
}

void HelpViewer::fillIndex() {
    for (const ChmFile::SiteMapEntry& entry : m_file->index()) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.name), m_index);
        item->setData(kTopicRole, QString::fromStdString(entry.local));
    }
}

bool HelpViewer::showTopic(const std::string& topic) {
    const std::string target = topic.empty() ? m_file->defaultTopic() : topic;
    if (target.empty() || !m_file->contains(target)) return false;
    m_topic = target.starts_with('/') ? target.substr(1) : target;
    QUrl url = topicUrl(m_topic.substr(0, m_topic.find('#', 1)));
    const std::size_t anchor = m_topic.find('#', 1);
    if (anchor != std::string::npos) url.setFragment(QString::fromStdString(m_topic.substr(anchor + 1)));
    m_page->setSource(url);
    // Follow the topic in the contents without opening it again.
    const QString bare = QString::fromStdString(m_topic.substr(0, m_topic.find('#', 1)));
    QTreeWidgetItemIterator it(m_contents);
    for (; *it; ++it) {
        if ((*it)->data(0, kTopicRole).toString().compare(bare, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker quiet(m_contents);
            m_contents->setCurrentItem(*it);
            break;
        }
    }
    if (m_notify) {
        HHN_NOTIFY note{{handleOf(this), 0, HHN_NAVCOMPLETE}, m_topic.c_str()};
        SendMessageA(m_notify, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
    }
    return true;
}

void HelpViewer::showPane(Pane pane) {
    m_panes->setCurrentIndex(pane);
    if (pane == Index) m_keyword->setFocus();
    if (pane == Search) m_query->setFocus();
}

HelpViewer::Pane HelpViewer::currentPane() const {
    return static_cast<Pane>(m_panes->currentIndex());
}

void HelpViewer::selectKeyword(const QString& keyword) {
    if (m_keyword->text() != keyword) m_keyword->setText(keyword);
    for (int i = 0; i < m_index->count(); ++i) {
        if (m_index->item(i)->text().startsWith(keyword, Qt::CaseInsensitive)) {
            m_index->setCurrentRow(i);
            return;
        }
    }
}

void HelpViewer::setSearch(const QString& query, bool run) {
    m_query->setText(query);
    if (run) runSearch();
}

void HelpViewer::runSearch() {
    m_results->clear();
    for (const ChmFile::Hit& hit : m_file->search(m_query->text().toStdString())) {
        auto* item = new QListWidgetItem(QString::fromStdString(hit.title), m_results);
        item->setData(kTopicRole, QString::fromStdString(hit.local));
    }
}

}  // namespace velmora
