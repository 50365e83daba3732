#include "history/historywindow.h"

#include "history/worddiff.h"
#include "session/appstate.h"
#include "session/session.h"
#include "storage/documentstore.h"
#include "storage/historystore.h"
#include "storage/htmltext.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/helpcontext.h"
#include "widgets/notices.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace folio {

namespace {

const QString VersionGone = QStringLiteral("Could not restore the version: it or its document no longer exists.");

QString sizeText(qint64 characters)
{
    return characters < 1024 ? QStringLiteral("%1 characters").arg(characters)
                             : QStringLiteral("%1 KB").arg((characters + 512) / 1024);
}

QString reasonText(VersionReason reason)
{
    return reason == VersionReason::Delete ? QStringLiteral("deleted") : QStringLiteral("replaced by a save");
}

} // namespace

HistoryWindow::HistoryWindow(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmHistory"));
    setHelpContext(this, HelpContext::History);
    setModal(false);
    buildControls();
    connect(m_versions, &QTreeWidget::itemSelectionChanged, this, &HistoryWindow::showSelected);
    connect(m_restore, &QPushButton::clicked, this, &HistoryWindow::restoreSelected);
    // The versions belong to a file that may be gone.
    connect(&m_context.session, &Session::reopened, this, &QDialog::close);
    resize(760, 520);
}

void HistoryWindow::buildControls()
{
    m_versions = new QTreeWidget(this);
    m_versions->setObjectName(QStringLiteral("lstVersions"));
    m_versions->setRootIsDecorated(false);
    m_versions->setUniformRowHeights(true);
    m_versions->setHeaderLabels({QStringLiteral("Kept"), QStringLiteral("Title"), QStringLiteral("Size"),
                                 QStringLiteral("Reason")});
    m_versions->header()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    m_versions->setColumnWidth(KeptColumn, fontMetrics().horizontalAdvance(QStringLiteral("8888-88-88 88:88:88")) + 16);
    m_view = new QTextEdit(this);
    m_view->setObjectName(QStringLiteral("txtVersion"));
    m_view->setReadOnly(true);
    m_legend = new QLabel(
        QStringLiteral("<span style=\"color:#900000; text-decoration:line-through\">Struck out</span>: words the "
                       "current text no longer has. <span style=\"color:#006000; text-decoration:underline\">"
                       "Underlined</span>: words it has added."),
        this);
    m_restore = new QPushButton(QStringLiteral("Restore This Version"), this);
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    m_restore->setEnabled(false);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_versions);
    split->addWidget(m_view);
    split->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_legend);
    layout->addWidget(m_restore, 0, Qt::AlignRight);
}

void HistoryWindow::showDocument(DocNum doc)
{
    m_doc = doc;
    fill();
}

void HistoryWindow::fill()
{
    std::optional<Document> current;
    QList<DocumentVersion> versions;
    {
        BusyScope busy(m_context.status);
        m_context.notices.guard([&] {
            current = m_context.documents.readDocument(m_doc);
            versions = HistoryStore(m_context.db).versionsOf(m_doc);
        });
    }
    setWindowTitle(QStringLiteral("Document History - %1").arg(current ? current->title : QString()));
    m_view->clear();
    m_versions->clear();
    QList<QTreeWidgetItem *> rows;
    for (const DocumentVersion &v : versions) {
        auto *row = new QTreeWidgetItem({v.keptAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.title,
                                         sizeText(v.size), reasonText(v.reason)});
        row->setData(KeptColumn, HistNumRole, v.histNum);
        rows.append(row);
    }
    m_versions->addTopLevelItems(rows);
    m_restore->setEnabled(false);
    // The newest version shown at once: usually the one looked for.
    if (!rows.isEmpty())
        m_versions->setCurrentItem(rows.first());
}

qint64 HistoryWindow::selectedVersion() const
{
    const QList<QTreeWidgetItem *> selected = m_versions->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(KeptColumn, HistNumRole).toLongLong();
}

// The version's words against the current text's, both as a reader sees them.
void HistoryWindow::showSelected()
{
    const qint64 hist = selectedVersion();
    m_restore->setEnabled(hist != 0);
    if (hist == 0) {
        m_view->clear();
        return;
    }
    std::optional<QString> version;
    std::optional<Document> current;
    {
        BusyScope busy(m_context.status);
        m_context.notices.guard([&] {
            version = HistoryStore(m_context.db).versionText(hist);
            current = m_context.documents.readDocument(m_doc);
        });
    }
    if (!version) {
        m_view->setPlainText(QStringLiteral("This version no longer exists."));
        return;
    }
    const QString then = visibleText(*version);
    const QString now = current ? visibleText(current->html) : QString();
    m_view->setHtml(diffHtml(diffWords(then, now)));
}

bool HistoryWindow::restoreSelected()
{
    const qint64 hist = selectedVersion();
    if (hist == 0 || !mayProceed(m_context.state.leaveEdit()))
        return false;
    bool restored = false;
    {
        BusyScope busy(m_context.status);
        if (!m_context.notices.guard([&] {
                restored = HistoryStore(m_context.db).restoreVersion(hist, formatChangeDate(QDateTime::currentDateTime()));
            }))
            return false;
    }
    if (!restored) {
        m_context.notices.failure(VersionGone);
        fill();
        return false;
    }
    m_context.state.announceDocumentSaved(m_doc);
    std::optional<Document> document;
    m_context.notices.guard([&] { document = m_context.documents.readDocument(m_doc); });
    // The pane shows the restored text, through the one way to a document.
    if (document)
        m_context.state.navigateTo(document->dirNum, m_doc);
    fill();
    return true;
}

} // namespace folio
