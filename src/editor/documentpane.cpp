#include "editor/documentpane.h"

#include "editor/documentexport.h"
#include "editor/documentprint.h"
#include "editor/editrecovery.h"
#include "editor/fontboxes.h"
#include "editor/formattingbar.h"
#include "editor/htmleditor.h"
#include "editor/spellingoptions.h"
#include "editor/titlebox.h"
#include "session/appstate.h"
#include "session/session.h"
#include "storage/documentstore.h"
#include "storage/recoveryfile.h"
#include "storage/storageerror.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/commandavailability.h"
#include "widgets/icons.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"
#include "widgets/prompts.h"
#include "widgets/statuspanel.h"

#include <QAction>
#include <QGridLayout>
#include <QPointer>
#include <QTextEdit>
#include <QToolBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtDebug>

namespace folio {

namespace {

const QString NoFolderNotice =
    QStringLiteral("Please specify a folder you want to save to from Document Folder Area");
const QString NoTitleNotice = QStringLiteral("Please input a document title before you save it");
const QString LongTitleNotice = QStringLiteral("Document title can not beyond 250 characters");
const QString SaveBeforeLeaving = QStringLiteral(
    "The document you are editing has changes that are not saved. Do you want to save it first?");
const QString PrintFailedNotice =
    QStringLiteral("Could not print the document: the printer could not be started or reported an error.");
const QString SaveBeforeClosing = QStringLiteral(
    "The document you are editing has changes that are not saved. Do you want to save it before Folio Keeper "
    "closes?");
const QString RevisedDocumentGone =
    QStringLiteral("Could not revise the document: it no longer exists in the database.");

} // namespace

DocumentPane::DocumentPane(AppContext &context, QWidget *parent)
    : QFrame(parent)
    , m_context(context)
    , m_coolBar(new QWidget(this))
    , m_saveCancel(new QToolBar(m_coolBar))
    , m_title(new TitleBox(m_coolBar))
    , m_editor(new HtmlEditor(this))
{
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::NoFrame);
    m_fonts = new FontBoxes(*m_editor, m_context.state, this);
    m_formatting = new FormattingBar(*m_editor, *m_title, *m_fonts, m_coolBar, m_coolBar);
    buildCoolBar();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_coolBar);
    layout->addWidget(m_editor, 1);
    m_title->setReadOnly(true);
    m_editor->setUrlOpener(m_context.prompts.urls);
    m_editor->setDocumentPrinter(m_context.prompts.printer ? m_context.prompts.printer : dialogDocumentPrinter());
    m_editor->setFontChooser(m_context.prompts.font);
    m_formatting->setColorChooser(m_context.prompts.color);
    m_formatting->setOpenFilePrompt(m_context.prompts.openFile);
    m_editor->setSaveFilePrompt(m_context.prompts.saveFile);
    m_editor->setFontAction(m_formatting->fontBoxAction());
    m_spelling = new SpellingOptions(m_context.session.programDir(), this);
    m_editor->setSpellChecker(&m_spelling->checker());
    m_title->setSpellChecker(&m_spelling->checker());
    connect(m_spelling, &SpellingOptions::settingsFailed, this, [this](const QString &text) { m_context.notices.failure(text); });
    connect(m_editor, &HtmlEditor::personalListFailed, this, [this](const QString &text) { m_context.notices.failure(text); });
    connect(m_editor, &HtmlEditor::pictureRefused, this, [this](const QString &text) { m_context.notices.failure(text); });
    connect(m_editor, &HtmlEditor::printFailed, this, [this] { m_context.notices.failure(PrintFailedNotice); });
    connect(&m_context.state, &AppState::documentSelected, this, &DocumentPane::showSelectedDocument);
    connect(&m_context.state, &AppState::commandModeChanged, this, &DocumentPane::followCommandMode);
    connect(&m_context.session, &Session::reopened, this, &DocumentPane::followReopen);

    m_recovery = new EditRecovery(m_context, [this]() -> std::optional<RecoveredEdit> {
        if (!hasUnsavedChanges())
            return std::nullopt;
        return RecoveredEdit{m_context.state.currentDirNum(), m_editDoc, m_title->text(), m_editor->documentHtml()};
    }, this);
    auto noteChange = [this] {
        if (m_context.state.isEditing())
            m_recovery->noteChange();
    };
    connect(m_editor->textEdit(), &QTextEdit::textChanged, this, noteChange);
    connect(m_title, &QLineEdit::textChanged, this, noteChange);
    connect(m_recovery, &EditRecovery::offerPendingChanged, &m_context.state, &AppState::setRecovering);
    // The state may outlive the pane (or the other way round, as the
    // window is torn down): the handler asks the pane only while it exists.
    m_context.state.setLeaveHandler([pane = QPointer<DocumentPane>(this)] {
        return pane ? pane->leave() : LeaveOutcome::Left;
    });
    followCommandMode();
}

DocumentPane::~DocumentPane() = default;

void DocumentPane::buildCoolBar()
{
    m_coolBar->setObjectName(QStringLiteral("CoolBar2"));
    m_saveCancel->setObjectName(QStringLiteral("Toolbar3"));
    m_saveCancel->setIconSize(QSize(16, 16));
    m_saveCancel->setMovable(false);
    QAction *save = m_saveCancel->addAction(commandIcon(QStringLiteral("DocSave")), QStringLiteral("Save"));
    save->setObjectName(QStringLiteral("DocSave"));
    save->setToolTip(QStringLiteral("Save Current Document"));
    save->setShortcut(QKeySequence::Save);
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, [this] { saveAndBrowse(); });
    QAction *cancel = m_saveCancel->addAction(commandIcon(QStringLiteral("DocCancel")), QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("DocCancel"));
    cancel->setToolTip(QStringLiteral("Cancel Current Document"));
    connect(cancel, &QAction::triggered, this, &DocumentPane::cancelEditing);

    auto *bands = new QGridLayout(m_coolBar);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(2);
    bands->addWidget(m_saveCancel, 0, 0);   // band 1
    bands->addWidget(m_title, 0, 1);        // band 2
    bands->addWidget(m_formatting, 1, 0, 1, 2);  // band 3, a row of its own
    bands->setColumnStretch(1, 1);
}

bool DocumentPane::loadDocument(DocNum num)
{
    if (m_context.state.isEditing())
        return false;  // an edit is left only through leave()
    BusyScope busy(m_context.status);
    m_context.state.setCurrentDocNum(num);
    std::optional<Document> document;
    const bool read = m_context.notices.guard([&] { document = m_context.documents.readDocument(num); });
    busy.show(DbStatus::Loading);
    if (!read || !document)
        return false;
    showDocument(*document);
    return true;
}

void DocumentPane::showDocument(const Document &document)
{
    m_title->setText(document.title);
    m_loadedTitle = m_title->text();
    m_editor->setDocumentHtml(document.html);
    showTitleInPanel();
}

void DocumentPane::showTitleInPanel()
{
    m_context.status.showCurrentDocument(m_context.state.currentDocNum(), m_loadedTitle);
}

// A revision goes into the row it was loaded from, a new document into
// the folder current at the moment of saving.
SaveOutcome DocumentPane::saveDocument()
{
    AppState &state = m_context.state;
    const bool isNew = m_editDoc == 0;
    if (isNew) {
        QString notice;
        if (state.currentDirNum() == 0)
            notice = NoFolderNotice;
        else if (m_title->text().isEmpty())
            notice = NoTitleNotice;
        else if (m_title->text().size() > TitleBox::MaxLength)
            notice = LongTitleNotice;
        if (!notice.isEmpty()) {
            m_context.board.inform(notice);
            return SaveOutcome::Refused;
        }
    }
    BusyScope busy(m_context.status);
    const QString title = m_title->text();
    const QString html = m_editor->documentHtml();
    const QString changed = formatChangeDate(QDateTime::currentDateTime());
    DocNum stored = m_editDoc;
    const DirNum folder = state.currentDirNum();
    const bool ok = m_context.notices.guard([&] {
        if (isNew)
            stored = m_context.documents.addDocument(folder, title, html, changed);
        else
            m_context.documents.updateDocument(stored, title, html, changed);
    });
    if (!ok)
        return SaveOutcome::Refused;  // the notice says why; the user's text stays in the pane
    // The pane now shows the stored document: revising it again must
    // update this row, not add another one.
    m_editDoc = stored;
    state.setCurrentDocNum(stored);
    m_loadedTitle = title;
    showTitleInPanel();
    state.announceDocumentSaved(stored);
    return SaveOutcome::Stored;
}

void DocumentPane::setEditMode(EditMode mode)
{
    const bool edit = mode == EditMode::Edit;
    m_fonts->setEnabled(edit);
    m_editor->setBrowseMode(!edit);
    m_title->setReadOnly(!edit);
    m_title->setSpellingOn(edit);
    m_saveCancel->setVisible(edit);
    m_formatting->setVisible(edit);
    if (!edit)
        m_fonts->hideBoxes();
    m_context.state.setEditMode(mode);
}

// The state has asked the pane to leave its edit before it selected the
// document: an edit still open here was kept (and is never replaced).
void DocumentPane::showSelectedDocument(DocNum num)
{
    if (!m_context.state.isEditing())
        loadDocument(num);
}

LeaveOutcome DocumentPane::leave()
{
    return leaveAsking(SaveBeforeLeaving);
}

LeaveOutcome DocumentPane::leaveAsking(const QString &question)
{
    if (!m_context.state.isEditing())
        return LeaveOutcome::Left;
    if (!hasUnsavedChanges()) {
        leaveEditing(false);
        return LeaveOutcome::Left;
    }
    const int session = m_editSession;
    const BoardAnswer answer = m_context.board.askUrgent(question);
    // The board does not stop the window: the user may have saved,
    // cancelled or begun another edit while the question waited.
    if (session != m_editSession || !m_context.state.isEditing())
        return m_context.state.isEditing() ? LeaveOutcome::Stayed : LeaveOutcome::Left;
    switch (answer) {
    case BoardAnswer::Yes:
        if (saveDocument() != SaveOutcome::Stored)
            return LeaveOutcome::Stayed;
        leaveEditing(false);
        return LeaveOutcome::Saved;
    case BoardAnswer::No:
        leaveEditing(true);
        return LeaveOutcome::Discarded;
    case BoardAnswer::Cancel:
    case BoardAnswer::NotAsked:
        break;
    }
    return LeaveOutcome::Stayed;
}

bool DocumentPane::mayBeginEdit() const
{
    return commandAvailable(QStringLiteral("DocAdd"), m_context.state.commandMode());
}

void DocumentPane::newDocument()
{
    if (!mayBeginEdit() || !mayProceed(leave()))
        return;
    setEditMode(EditMode::Edit);
    beginEdit(0);
    m_context.state.setCurrentDocNum(0);
    clearDocument();
    m_title->setFocus();
}

// Revising works on the entry chosen in the list, which only browse mode shows.
void DocumentPane::editDocument()
{
    if (!commandAvailable(QStringLiteral("DocChg"), m_context.state.commandMode())
        || !m_context.state.documentEntrySelected())
        return;
    const DocNum num = m_context.state.currentDocNum();
    std::optional<Document> document;
    {
        BusyScope busy(m_context.status);
        if (!m_context.notices.guard([&] { document = m_context.documents.readDocument(num); }))
            return;
    }
    if (!document) {
        m_context.notices.failure(RevisedDocumentGone);
        return;
    }
    setEditMode(EditMode::Edit);
    beginEdit(num);
    showDocument(*document);
    m_editor->setFocus();
}

void DocumentPane::beginEdit(DocNum num)
{
    m_editDoc = num;
    ++m_editSession;
}

bool DocumentPane::saveAndBrowse()
{
    if (!m_context.state.isEditing())
        return false;
    if (saveDocument() != SaveOutcome::Stored)
        return false;
    leaveEditing(false);
    return true;
}

void DocumentPane::cancelEditing()
{
    if (!m_context.state.isEditing())
        return;
    leaveEditing(true);
}

void DocumentPane::leaveEditing(bool reloadStored)
{
    m_recovery->editEnded();
    const DocNum shown = m_editDoc;
    m_editDoc = 0;
    setEditMode(EditMode::Browse);
    if (reloadStored) {
        if (shown == 0 || !loadDocument(shown))
            clearDocument();
    }
    Q_EMIT editingFinished(m_context.state.currentDocNum());
}

// The file was replaced: a document shown for reading is gone with it. An
// edit is left before any replacement; should one still be open, it stays
// as a new document, never written into a row that may now be another.
void DocumentPane::followReopen()
{
    if (m_context.state.isEditing()) {
        m_editDoc = 0;
        m_context.state.setCurrentDocNum(0);
        m_loadedTitle.clear();
        return;
    }
    clearDocument();
    m_context.status.showCurrentDocument(0, QString());
}

void DocumentPane::followCommandMode()
{
    const CommandMode mode = m_context.state.commandMode();
    for (QAction *action : m_saveCancel->actions())
        action->setEnabled(commandAvailable(action->objectName(), mode));
}

void DocumentPane::clearDocument()
{
    m_title->clear();
    m_loadedTitle.clear();
    m_editor->setDocumentHtml(QString());
}

void DocumentPane::exportDocument()
{
    exportShownDocument(m_context, m_title->text(), *m_editor, window());
}

// The print key gives the HTML editor the focus and lets it print, as
// if the user had pressed Ctrl+P in it.
void DocumentPane::printDocument()
{
    m_editor->setFocus();
    m_editor->printDocument();
}

void DocumentPane::showSpellingLanguages()
{
    m_spelling->showLanguagesDialog(window());
}

bool DocumentPane::hasUnsavedChanges() const
{
    return m_context.state.isEditing() && (m_editor->isModified() || m_title->text() != m_loadedTitle);
}

bool DocumentPane::confirmClose()
{
    return mayProceed(leaveAsking(SaveBeforeClosing));
}

bool DocumentPane::keepUnsavedForRecovery()
{
    return m_recovery->keepNow();
}

void DocumentPane::offerRecoveryLater()
{
    m_context.state.setRecovering(true);
    QTimer::singleShot(0, this, &DocumentPane::offerRecovery);
}

void DocumentPane::offerRecovery()
{
    m_recovery->offer([this](const RecoveredEdit &edit) { restoreEdit(edit); });
    m_context.state.setRecovering(m_recovery->isOfferPending());
}

// Back into edit mode as the edit was: the same folder and document, the
// title and the text, counted as unsaved.
void DocumentPane::restoreEdit(const RecoveredEdit &edit)
{
    if (!mayProceed(leave()))
        return;
    if (edit.dir != 0)
        m_context.state.selectFolder(edit.dir);
    setEditMode(EditMode::Edit);
    beginEdit(edit.doc);
    m_context.state.setCurrentDocNum(edit.doc);
    m_title->setText(edit.title);
    m_loadedTitle.clear();
    m_editor->setDocumentHtml(edit.html);
    m_editor->markModified();
    m_editor->setFocus();
}

} // namespace folio
