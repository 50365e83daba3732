#include "app/helpwindow.h"

#include "widgets/helpcontext.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace folio {

QString helpTopicFile(int topic)
{
    static const QHash<int, QString> pages = {
        {HelpContext::MainWindow, QStringLiteral("mainwindow.html")},
        {HelpContext::Toolbars, QStringLiteral("toolbars.html")},
        {HelpContext::FolderTree, QStringLiteral("foldertree.html")},
        {HelpContext::DocumentList, QStringLiteral("documentlist.html")},
        {HelpContext::TitleAndEditor, QStringLiteral("editor.html")},
        {HelpContext::BackupRestore, QStringLiteral("backup.html")},
        {HelpContext::Update, QStringLiteral("update.html")},
        {HelpContext::About, QStringLiteral("about.html")},
        {HelpContext::History, QStringLiteral("history.html")},
        {HelpContext::Transfer, QStringLiteral("transfer.html")},
    };
    return pages.value(topic, QStringLiteral("index.html"));
}

QString manualFolder(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("manual"));
}

HelpWindow::HelpWindow(QString manualDir, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_manualDir(std::move(manualDir))
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Folio Keeper Help"));
    m_browser->setObjectName(QStringLiteral("txtManual"));
    m_browser->setSearchPaths({m_manualDir});
    // The pages link only to each other; nothing is fetched from outside.
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDocumentMargin(14);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void HelpWindow::showTopic(int topic)
{
    m_topic = topic;
    const QString page = QDir(m_manualDir).filePath(helpTopicFile(topic));
    if (!QFileInfo(page).isFile()) {
        m_browser->setSource(QUrl());
        m_browser->setHtml(
            QStringLiteral("<h2>The user manual cannot be found</h2>"
                           "<p>Folio Keeper looks for its manual in the folder</p><p><b>%1</b></p>"
                           "<p>but the page %2 is not there. Installing the program again puts the "
                           "manual back in place.</p>")
                .arg(QDir::toNativeSeparators(m_manualDir).toHtmlEscaped(), helpTopicFile(topic)));
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(page));
}

} // namespace folio
