#include "editor/documentpane.h"

#include "shell/appcontext.h"
#include "shell/appstate.h"
#include "shell/busyscope.h"
#include "shell/icons.h"
#include "shell/messageboard.h"
#include "shell/notices.h"
#include "shell/prompts.h"
#include "shell/session.h"
#include "shell/statuspanel.h"
#include "editor/documentexport.h"
#include "editor/fontboxes.h"
#include "editor/formattingbar.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "storage/documentstore.h"
#include "storage/recoveryfile.h"
#include "storage/storageerror.h"

#include <QAction>
#include <QGridLayout>
#include <QToolBar>
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
const QString RestoreQuestion = QStringLiteral(
    "Folio Keeper was ended while a document had changes that were not saved (\"%1\"). Do you want to restore "
    "them?");
const QString PrintFailedNotice =
    QStringLiteral("Could not print the document: the printer could not be started or reported an error.");
const QString SaveBeforeClosing = QStringLiteral(
    "The document you are editing has changes that are not saved. Do you want to save it before Folio Keeper "
    "closes?");

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
    m_editor->setDocumentPrinter(m_context.prompts.printer);
    m_editor->setFontChooser(m_context.prompts.font);
    m_formatting->setColorChooser(m_context.prompts.color);
    connect(m_editor, &HtmlEditor::printFailed, this, [this] { m_context.notices.failure(PrintFailedNotice); });
    connect(&m_context.state, &AppState::documentSelected, this, &DocumentPane::showSelectedDocument);
    connect(&m_context.session, &Session::reopened, this, &DocumentPane::followReopen);
}

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

void DocumentPane::loadDocument(DocNum num)
{
    BusyScope busy(m_context.status);
    m_context.state.setCurrentDocNum(num);
    std::optional<Document> document;
    const bool read = m_context.notices.guard([&] { document = m_context.documents.readDocument(num); });
    busy.show(DbStatus::Loading);
    if (read && document) {
        m_title->setText(document->title);
        m_loadedTitle = m_title->text();
        m_editor->setDocumentHtml(document->html);
        showTitleInPanel();
    }
}

void DocumentPane::showTitleInPanel()
{
    m_context.status.showCurrentDocument(m_context.state.currentDocNum(), m_loadedTitle);
}

SaveOutcome DocumentPane::saveDocument()
{
    AppState &state = m_context.state;
    const bool isNew = state.currentDocNum() == 0;
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
    DocNum stored = state.currentDocNum();
    const bool ok = m_context.notices.guard([&] {
        if (isNew)
            stored = m_context.documents.addDocument(state.currentDirNum(), title, html, changed);
        else
            m_context.documents.updateDocument(stored, title, html, changed);
    });
    if (!ok)
        return SaveOutcome::Refused;  // the notice says why; the user's text stays in the pane
    // The pane now shows the stored document: revising it again must
    // update this row, not add another one.
    state.setCurrentDocNum(stored);
    m_loadedTitle = title;
    showTitleInPanel();
    return SaveOutcome::Stored;
}

void DocumentPane::setEditMode(EditMode mode)
{
    const bool edit = mode == EditMode::Edit;
    m_fonts->setEnabled(edit);
    m_editor->setBrowseMode(!edit);
    m_title->setReadOnly(!edit);
    m_saveCancel->setVisible(edit);
    m_formatting->setVisible(edit);
    if (!edit)
        m_fonts->hideBoxes();
    m_context.state.setEditMode(mode);
}

void DocumentPane::showSelectedDocument(DocNum num)
{
    if (m_context.state.isEditing()) {
        if (!settleUnsavedChanges())
            return;
        setEditMode(EditMode::Browse);
    }
    loadDocument(num);
}

bool DocumentPane::settleUnsavedChanges()
{
    if (!hasUnsavedChanges())
        return true;
    if (m_context.board.ask(SaveBeforeLeaving) != BoardAnswer::Yes)
        return true;  // the user lets the changes go
    return saveDocument() == SaveOutcome::Stored;
}

void DocumentPane::newDocument()
{
    if (!settleUnsavedChanges())
        return;
    setEditMode(EditMode::Edit);
    m_context.state.setCurrentDocNum(0);
    clearDocument();
    m_title->setFocus();
}

void DocumentPane::editDocument()
{
    if (!m_context.state.documentEntrySelected() || !settleUnsavedChanges())
        return;
    setEditMode(EditMode::Edit);
    loadDocument(m_context.state.currentDocNum());
    m_editor->setFocus();
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
    setEditMode(EditMode::Browse);
    if (reloadStored) {
        if (m_context.state.currentDocNum() != 0)
            loadDocument(m_context.state.currentDocNum());
        else
            clearDocument();
    }
    Q_EMIT editingFinished(m_context.state.currentDocNum());
}

// The file was replaced: a document shown for reading is gone with it; one
// being written stays, as a new document not yet stored anywhere.
void DocumentPane::followReopen()
{
    if (m_context.state.isEditing()) {
        m_context.state.setCurrentDocNum(0);
        m_loadedTitle.clear();
        return;
    }
    clearDocument();
    m_context.status.showCurrentDocument(0, QString());
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

// The print key gives the editing control the focus and lets it print, as
// if the user had pressed Ctrl+P in it.
void DocumentPane::printDocument()
{
    m_editor->setFocus();
    m_editor->printDocument();
}

bool DocumentPane::hasUnsavedChanges() const
{
    return m_context.state.isEditing() && (m_editor->isModified() || m_title->text() != m_loadedTitle);
}

bool DocumentPane::confirmClose()
{
    if (!hasUnsavedChanges())
        return true;
    if (m_context.board.askOverriding(SaveBeforeClosing) != BoardAnswer::Yes)
        return true;
    return saveAndBrowse();
}

bool DocumentPane::keepUnsavedForRecovery()
{
    if (!hasUnsavedChanges())
        return true;
    const AppState &state = m_context.state;
    try {
        RecoveryFile(m_context.session.programDir())
            .write({state.currentDirNum(), state.currentDocNum(), m_title->text(), m_editor->documentHtml()});
    } catch (const StorageError &e) {
        qWarning().noquote() << "Folio Keeper:" << e.userText();
        return false;
    }
    return true;
}

void DocumentPane::offerRecovery()
{
    const RecoveryFile file(m_context.session.programDir());
    if (!file.exists())
        return;
    const std::optional<RecoveredEdit> edit = file.read();
    if (!edit) {
        m_context.notices.failure(
            QStringLiteral("%1 holds words kept from an earlier run but cannot be read; it was left in place.")
                .arg(file.path()));
        return;
    }
    const BoardAnswer answer = m_context.board.ask(RestoreQuestion.arg(edit->title.left(80)));
    if (m_context.board.isShutDown())
        return;  // the window went away: no answer was given, the file stays
    if (answer == BoardAnswer::Yes)
        restoreEdit(*edit);
    file.remove();
}

// Back into edit mode as the edit was: the same folder and document, the
// title and the text, counted as unsaved.
void DocumentPane::restoreEdit(const RecoveredEdit &edit)
{
    if (edit.dir != 0)
        m_context.state.selectFolder(edit.dir);
    setEditMode(EditMode::Edit);
    m_context.state.setCurrentDocNum(edit.doc);
    m_title->setText(edit.title);
    m_loadedTitle.clear();
    m_editor->setDocumentHtml(edit.html);
    m_editor->markModified();
    m_editor->setFocus();
}

} // namespace folio
