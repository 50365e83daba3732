#include "search/finddocumentsdialog.h"

#include "search/findresultlist.h"
#include "search/searchindexbuilder.h"
#include "search/secondsused.h"
#include "session/appstate.h"
#include "session/session.h"
#include "storage/database.h"
#include "storage/documentsearch.h"
#include "storage/folderstore.h"
#include "widgets/appcontext.h"
#include "widgets/clickablelabel.h"
#include "widgets/icons.h"
#include "widgets/notices.h"
#include "widgets/statuspanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace folio {

namespace {

const QString IdleText = QStringLiteral("IDLE");
const QString BusyText = QStringLiteral("BUSY");

} // namespace

FindDocumentsDialog::FindDocumentsDialog(AppContext &context, SearchIndexBuilder &builder, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_builder(builder)
{
    setObjectName(QStringLiteral("frmFindDoc"));
    setWindowTitle(QStringLiteral("Find Documents"));
    setModal(false);
    buildControls();
    formLoad();

    connect(m_find, &ClickableLabel::clicked, this, &FindDocumentsDialog::cmdFindClicked);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &FindDocumentsDialog::openSelected);
    connect(&m_builder, &SearchIndexBuilder::started, this, [this] { showBuildProgress(0, 0); });
    connect(&m_builder, &SearchIndexBuilder::progressed, this, &FindDocumentsDialog::showBuildProgress);
    connect(&m_builder, &SearchIndexBuilder::ended, this, &FindDocumentsDialog::buildEnded);
    // The rows name documents of a file that may be gone.
    connect(&m_context.session, &Session::reopened, this, [this] {
        m_list->clear();
        m_panels[1]->setText(QStringLiteral("0 Records Found"));
    });
    if (m_builder.isBuilding())
        showBuildProgress(0, 0);
}

void FindDocumentsDialog::buildControls()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    const QFont arial(QStringLiteral("Arial"));
    m_query1 = new QLineEdit(frame);
    m_query1->setObjectName(QStringLiteral("txtQuery1"));
    m_query1->setToolTip(QStringLiteral("Keyword 1"));
    m_query1->setFont(arial);
    m_query2 = new QLineEdit(frame);
    m_query2->setObjectName(QStringLiteral("txtQuery2"));
    m_query2->setToolTip(QStringLiteral("Keyword 2"));
    m_query2->setFont(arial);
    m_and = new QRadioButton(QStringLiteral("AND"), frame);
    m_and->setObjectName(QStringLiteral("optAND"));
    m_or = new QRadioButton(QStringLiteral("OR"), frame);
    m_or->setObjectName(QStringLiteral("optOR"));
    auto *join = new QButtonGroup(this);
    join->addButton(m_and);
    join->addButton(m_or);
    m_documents = new QCheckBox(QStringLiteral("Documents &"), frame);
    m_documents->setObjectName(QStringLiteral("chkDoc"));
    m_folders = new QCheckBox(QStringLiteral("Folder Name"), frame);
    m_folders->setObjectName(QStringLiteral("chkFolder"));
    m_find = new ClickableLabel(QStringLiteral("cmdFind"), frame);
    m_find->setPixmap(commandIcon(QStringLiteral("DocFind")).pixmap(24, 24));
    m_find->setFrameShape(QFrame::StyledPanel);
    m_find->setFrameShadow(QFrame::Raised);
    m_find->setAlignment(Qt::AlignCenter);
    m_find->setToolTip(QStringLiteral("Find Now"));
    m_find->setMinimumSize(36, 36);

    auto *grid = new QGridLayout(frame);
    grid->addWidget(m_query1, 0, 0);
    grid->addWidget(m_and, 0, 1);
    grid->addWidget(m_documents, 0, 2);
    grid->addWidget(m_query2, 1, 0);
    grid->addWidget(m_or, 1, 1);
    grid->addWidget(m_folders, 1, 2);
    grid->addWidget(m_find, 0, 3, 2, 1);
    grid->setColumnStretch(0, 1);

    m_list = new FindResultList(this);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusPicture = new QLabel(m_statusBar);
    m_statusPicture->setObjectName(QStringLiteral("Panel1Picture"));
    m_statusBar->addWidget(m_statusPicture);
    const QString texts[3] = {IdleText, QStringLiteral("Find 0 Records"), QStringLiteral("0 Seconds Used")};
    const QString tips[3] = {QStringLiteral("Database Status"), QStringLiteral("Amount of found records"),
                             QStringLiteral("Used Time ")};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(texts[i], m_statusBar);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setToolTip(tips[i]);
        m_panels[i]->setTextFormat(Qt::PlainText);
        m_statusBar->addWidget(m_panels[i], i == 0 ? 0 : 1);
    }
    m_secondsText = texts[2];

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_statusBar);
    resize(640, 420);
}

// The window opens with empty keywords, documents searched, folders not, AND.
void FindDocumentsDialog::formLoad()
{
    m_query1->clear();
    m_query2->clear();
    m_documents->setChecked(true);
    m_folders->setChecked(false);
    m_and->setChecked(true);
    m_or->setChecked(false);
    setFindStatus(0);
}

void FindDocumentsDialog::setFindStatus(int state)
{
    if (state != 0 && state != 1)
        return;
    m_statusPicture->setPixmap(statusPicture(state == 1 ? 1 : 2));
    m_statusPicture->setProperty("pictureIndex", state == 1 ? 1 : 2);
    m_panels[0]->setText(state == 1 ? BusyText : IdleText);
}

// Rows whose text is not in the index yet (written by another tool while
// the program runs, or left by a build that stopped) are indexed by the
// background build first, so the window stays alive; the search waits for
// it and runs once it has ended.
void FindDocumentsDialog::cmdFindClicked()
{
    if (m_query1->text().isEmpty() && m_query2->text().isEmpty())
        return;
    m_builder.startIfNeeded();
    if (m_builder.isBuilding()) {
        m_waiting = searchFromControls();
        setFindStatus(1);
        updateFindButton();
        return;
    }
    runSearch(searchFromControls());
}

void FindDocumentsDialog::findDocuments()
{
    if (m_query1->text().isEmpty() && m_query2->text().isEmpty())
        return;
    runSearch(searchFromControls());
}

FindDocumentsDialog::Search FindDocumentsDialog::searchFromControls()
{
    if (m_query1->text().isEmpty()) {
        m_query1->setText(m_query2->text());
        m_query2->clear();
    }
    return Search{SearchRequest{m_query1->text(), m_query2->text(),
                                m_or->isChecked() ? KeywordJoin::Or : KeywordJoin::And},
                  m_documents->isChecked(), m_folders->isChecked()};
}

void FindDocumentsDialog::runSearch(const Search &search)
{
    QElapsedTimer timer;
    timer.start();
    m_searching = true;
    updateFindButton();
    setFindStatus(1);
    m_statusBar->repaint();
    m_list->clear();
    // A failure (a damaged file) becomes a dark-red notice; the dialog
    // returns to IDLE with what it found so far.
    m_context.notices.guard([&] {
        DocumentSearch documents(m_context.db);
        if (search.documents)
            m_list->addDocuments(documents.findDocuments(search.request));
        if (search.folders)
            m_list->addFolders(documents.findFolders(search.request));
    });
    m_panels[1]->setText(QStringLiteral("%1 Records Found").arg(m_list->topLevelItemCount()));
    m_secondsText = secondsUsedText(double(timer.nsecsElapsed()) / 1e9) + QStringLiteral(" Seconds Used");
    if (!m_builder.isBuilding())
        m_panels[2]->setText(m_secondsText);
    setFindStatus(0);
    m_searching = false;
    updateFindButton();
}

// The search that waited for the build runs once: rows a failed or stopped
// build left are found by reading the pages, not by another build. When a
// new build runs already (another file was put in place), its end brings
// the search.
void FindDocumentsDialog::runWaitingSearch()
{
    if (!m_waiting || m_builder.isBuilding())
        return;
    runSearch(*std::exchange(m_waiting, std::nullopt));
}

// A double click on a document row shows the document in the main
// window, a folder row selects and lists the folder, both through the one
// navigation channel (the document pane asks about unsaved changes). A row
// whose document or folder is gone meanwhile does nothing.
void FindDocumentsDialog::openSelected()
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem *item = selected.first();
    const qint64 num = FindResultList::numberOf(item);
    if (FindResultList::kindOf(item) == FindResultList::RowKind::Document) {
        std::optional<DirNum> folder;
        if (m_context.notices.guard([&] { folder = DocumentSearch(m_context.db).folderOf(num); }) && folder)
            m_context.state.navigateTo(*folder, num);
    } else {
        std::optional<Folder> folder;
        if (m_context.notices.guard([&] { folder = m_context.folders.folder(num); }) && folder
            && folder->kind != FolderKind::Unreachable)
            m_context.state.navigateTo(num, 0);
    }
}

void FindDocumentsDialog::showBuildProgress(qint64 done, qint64 total)
{
    const QString percent = total > 0 ? QStringLiteral(": %1 %").arg(done * 100 / total) : QString();
    m_panels[2]->setText(QStringLiteral("Preparing the search index%1").arg(percent));
    updateFindButton();
}

void FindDocumentsDialog::buildEnded()
{
    m_panels[2]->setText(m_secondsText);
    updateFindButton();
    // Not at once: a build stopped for a restore ends before the file is
    // replaced, and the search belongs to the file that is then open.
    if (m_waiting)
        QTimer::singleShot(0, this, &FindDocumentsDialog::runWaitingSearch);
}

// The search waits for the index build: meanwhile it could only read every
// page on this thread, which freezes the window on a large base.
void FindDocumentsDialog::updateFindButton()
{
    m_find->setEnabled(!m_searching && !m_builder.isBuilding());
}

} // namespace folio
