#include "history/deletedwindow.h"

#include "session/appstate.h"
#include "session/session.h"
#include "storage/folderstore.h"
#include "storage/historystore.h"
#include "storage/htmltext.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/helpcontext.h"
#include "widgets/notices.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace folio {

namespace {

const QString EntryGone = QStringLiteral("Could not restore the document: it is no longer kept.");
constexpr int MaxPathDepth = 250;  // as deep as the tree shows folders

} // namespace

DeletedWindow::DeletedWindow(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmDeleted"));
    setHelpContext(this, HelpContext::History);
    setWindowTitle(QStringLiteral("Deleted Documents"));
    setModal(false);
    buildControls();
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &DeletedWindow::showSelected);
    connect(m_restore, &QPushButton::clicked, this, &DeletedWindow::restoreSelected);
    connect(&m_context.session, &Session::reopened, this, &DeletedWindow::fill);
    resize(720, 480);
}

void DeletedWindow::buildControls()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstDeleted"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Folder"), QStringLiteral("Deleted")});
    m_list->header()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("txtDeleted"));
    m_view->setReadOnly(true);
    m_restore = new QPushButton(QStringLiteral("Restore Document"), this);
    m_restore->setObjectName(QStringLiteral("cmdRestoreDeleted"));
    m_restore->setEnabled(false);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_list);
    split->addWidget(m_view);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_restore, 0, Qt::AlignRight);
}

// The folder names from the top down, or a note when the folder is gone.
QString DeletedWindow::folderPath(qint64 dir) const
{
    QStringList names;
    for (int depth = 0; dir != 0 && depth < MaxPathDepth; ++depth) {
        const std::optional<Folder> folder = m_context.folders.folder(dir);
        if (!folder)
            return names.isEmpty() ? QStringLiteral("(folder deleted)") : names.join(QLatin1Char('/'));
        names.prepend(folder->name);
        dir = folder->kind == FolderKind::Sub ? folder->parent : 0;
    }
    return names.join(QLatin1Char('/'));
}

void DeletedWindow::fill()
{
    QList<DocumentVersion> deleted;
    QList<QTreeWidgetItem *> rows;
    {
        BusyScope busy(m_context.status);
        m_context.notices.guard([&] {
            deleted = HistoryStore(m_context.db).deletedDocuments();
            for (const DocumentVersion &d : deleted) {
                auto *row = new QTreeWidgetItem({d.title, folderPath(d.dir),
                                                 d.keptAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
                row->setData(TitleColumn, HistNumRole, d.histNum);
                rows.append(row);
            }
        });
    }
    m_list->clear();
    m_list->addTopLevelItems(rows);
    m_view->clear();
    m_restore->setEnabled(false);
}

qint64 DeletedWindow::selectedEntry() const
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(TitleColumn, HistNumRole).toLongLong();
}

void DeletedWindow::showSelected()
{
    const qint64 hist = selectedEntry();
    m_restore->setEnabled(hist != 0);
    std::optional<QString> html;
    if (hist != 0)
        m_context.notices.guard([&] { html = HistoryStore(m_context.db).versionText(hist); });
    // The text as a reader sees it: a kept page is never rendered here.
    m_view->setPlainText(html ? visibleText(*html) : QString());
}

bool DeletedWindow::restoreSelected()
{
    const qint64 hist = selectedEntry();
    if (hist == 0)
        return false;
    std::optional<RestoredDocument> restored;
    {
        BusyScope busy(m_context.status);
        if (!m_context.notices.guard([&] { restored = HistoryStore(m_context.db).restoreDeleted(hist); }))
            return false;
    }
    if (!restored) {
        m_context.notices.failure(EntryGone);
        fill();
        return false;
    }
    if (restored->folderCreated)
        m_context.state.announceFolderCreated(0, restored->dir, RestoredFolderName);
    m_context.state.announceDocumentSaved(restored->doc);
    m_context.state.navigateTo(restored->dir, restored->doc);
    fill();
    return true;
}

} // namespace folio
