#include "editor/documentpane.h"

#include "app/appcontext.h"
#include "app/appstate.h"
#include "app/icons.h"
#include "app/messageboard.h"
#include "app/notices.h"
#include "app/statuspanel.h"
#include "editor/fontboxes.h"
#include "editor/formattingbar.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "storage/documentstore.h"

#include <QAction>
#include <QGridLayout>
#include <QToolBar>
#include <QVBoxLayout>

namespace folio {

namespace {

const QString NoFolderNotice =
    QStringLiteral("Please specify a folder you want to save to from Document Folder Area");
const QString NoTitleNotice = QStringLiteral("Please input a document title before you save it");
const QString LongTitleNotice = QStringLiteral("Document title can not beyond 250 characters");
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
    connect(m_editor, &HtmlEditor::documentComplete, this, [this] { m_context.status.setDbStatus(0); });
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
    m_context.status.setDbStatus(1);
    m_context.state.setCurrentDocNum(num);
    std::optional<Document> document;
    const bool read = m_context.notices.guard([&] { document = m_context.documents.readDocument(num); });
    m_context.status.setDbStatus(2);
    if (read && document) {
        m_title->setText(document->title);
        m_loadedTitle = m_title->text();
        m_editor->setDocumentHtml(document->html);
    }
    m_context.status.setDbStatus(0);
}

int DocumentPane::saveDocument()
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
            return Refused;
        }
    }
    m_context.status.setDbStatus(1);
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
    m_context.status.setDbStatus(0);
    if (!ok)
        return Refused;  // the notice says why; the user's text stays in the pane
    // The pane now shows the stored document: revising it again must
    // update this row, not add another one.
    state.setCurrentDocNum(stored);
    m_loadedTitle = title;
    Q_EMIT documentStored(stored, title);
    return Stored;
}

void DocumentPane::setEditMode(int mode)
{
    if (mode != 0 && mode != 1)
        return;
    const bool edit = mode == 1;
    m_fonts->setEnabled(edit);
    m_editor->setBrowseMode(!edit);
    m_title->setReadOnly(!edit);
    m_saveCancel->setVisible(edit);
    m_formatting->setVisible(edit);
    if (!edit)
        m_fonts->hideBoxes();
    m_context.state.setEditMode(mode);
}

void DocumentPane::newDocument()
{
    Q_EMIT browsingEnabled(false);
    setEditMode(1);
    m_context.state.setCurrentDocNum(0);
    clearDocument();
    m_title->setFocus();
}

void DocumentPane::editDocument()
{
    if (m_listHasSelection && !m_listHasSelection())
        return;
    Q_EMIT browsingEnabled(false);
    setEditMode(1);
    loadDocument(m_context.state.currentDocNum());
    m_editor->setFocus();
}

bool DocumentPane::saveAndBrowse()
{
    if (m_context.state.editMode() != 1)
        return false;
    if (saveDocument() != Stored)
        return false;
    leaveEditing(false);
    return true;
}

void DocumentPane::cancelEditing()
{
    if (m_context.state.editMode() != 1)
        return;
    leaveEditing(true);
}

void DocumentPane::leaveEditing(bool reloadStored)
{
    setEditMode(0);
    Q_EMIT listReloadRequested(m_context.state.currentDirNum());
    if (reloadStored) {
        if (m_context.state.currentDocNum() != 0)
            loadDocument(m_context.state.currentDocNum());
        else
            clearDocument();
    }
    Q_EMIT browsingEnabled(true);
}

void DocumentPane::clearDocument()
{
    m_title->clear();
    m_loadedTitle.clear();
    m_editor->setDocumentHtml(QString());
}

bool DocumentPane::hasUnsavedChanges() const
{
    return m_context.state.editMode() == 1 && (m_editor->isModified() || m_title->text() != m_loadedTitle);
}

bool DocumentPane::confirmClose()
{
    if (!hasUnsavedChanges())
        return true;
    if (m_context.board.askOverriding(SaveBeforeClosing) != 1)
        return true;
    return saveAndBrowse();
}

} // namespace folio
