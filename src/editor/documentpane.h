#pragma once

#include "session/appstate.h"
#include "storage/types.h"

#include <QFrame>

class QToolBar;

namespace folio {

struct AppContext;
struct RecoveredEdit;
class EditRecovery;

// What became of a save.
enum class SaveOutcome { Stored, Refused };
class FontBoxes;
class FormattingBar;
class HtmlEditor;
class SpellingOptions;
class TitleBox;

// The document pane (lower right): the editor cool bar with the save and
// cancel keys, the title box and the formatting bar, above the editor. It
// shows one document read-only (browse mode) or lets the user write a new
// one or revise the shown one (edit mode).
//
// Nothing replaces what the pane shows before the pane has left its edit
// (see leave()); a revision is saved into the row it was loaded from,
// whatever is current by then.
class DocumentPane : public QFrame
{
    Q_OBJECT
public:
    DocumentPane(AppContext &context, QWidget *parent = nullptr);
    ~DocumentPane() override;

    HtmlEditor *editor() const { return m_editor; }
    TitleBox *titleBox() const { return m_title; }
    QWidget *coolBar() const { return m_coolBar; }
    QToolBar *saveCancelBar() const { return m_saveCancel; }
    FormattingBar *formattingBar() const { return m_formatting; }
    FontBoxes &fontBoxes() const { return *m_fonts; }
    EditRecovery &recovery() const { return *m_recovery; }
    SpellingOptions &spelling() const { return *m_spelling; }

    // Reads a document into the pane; a number without a row leaves the
    // pane as it is and returns false. Never replaces an edit.
    bool loadDocument(DocNum num);
    // Stores the pane's document; Refused (with a notice) when a new
    // document has no folder or no title or too long a title, or when the
    // store failed. The pane is not changed either way.
    SaveOutcome saveDocument();
    void setEditMode(EditMode mode);
    void newDocument();
    void editDocument();
    // The save and cancel keys.
    bool saveAndBrowse();
    void cancelEditing();
    // Writes what the pane shows to an HTML file the user names.
    void exportDocument();
    // Prints the shown document, as Ctrl+P in the HTML editor does.
    void printDocument();
    // "Spelling Languages..."
    void showSpellingLanguages();
    // In edit mode with changes the user has not saved.
    bool hasUnsavedChanges() const;
    // The number of the row being revised (0: a new document), while editing.
    DocNum editedDocument() const { return m_editDoc; }
    // Counts the edits begun: a new number means a new edit.
    int editSession() const { return m_editSession; }

    // Before anything replaces what the pane shows. In browse mode there is
    // nothing to leave. In edit mode without changes the edit ends. With
    // unsaved changes the user is asked, whatever the board shows: Yes
    // saves (Stayed when the save is refused), No lets the changes go,
    // Cancel or no answer keep the edit (Stayed).
    LeaveOutcome leave();
    // The same before the window closes: false when it must stay open.
    bool confirmClose();
    // The program is being ended without asking (a signal): unsaved changes
    // are written to the recovery file now. False, after saying why, when
    // they could not be.
    bool keepUnsavedForRecovery();
    // At start: an edit kept by the last run is offered back; Yes reopens it
    // in edit mode as it was, No lets it go. No edit can begin from now
    // until the answer.
    void offerRecoveryLater();
    void offerRecovery();

Q_SIGNALS:
    // Editing ended (saved or cancelled); `num` is the document the pane
    // now shows (0: none), to be selected in the list.
    void editingFinished(folio::DocNum num);

private:
    void buildCoolBar();
    void clearDocument();
    void showDocument(const Document &document);
    void beginEdit(DocNum num);
    void leaveEditing(bool reloadStored);
    LeaveOutcome leaveAsking(const QString &question);
    void showTitleInPanel();
    // A document chosen in the list, the find dialog or a drop.
    void showSelectedDocument(DocNum num);
    void followReopen();
    void followCommandMode();
    void restoreEdit(const RecoveredEdit &edit);
    bool mayBeginEdit() const;

    AppContext &m_context;
    QWidget *m_coolBar;
    QToolBar *m_saveCancel;
    TitleBox *m_title;
    HtmlEditor *m_editor;
    FontBoxes *m_fonts;
    FormattingBar *m_formatting;
    EditRecovery *m_recovery;
    SpellingOptions *m_spelling;
    QString m_loadedTitle;
    DocNum m_editDoc = 0;     // the row a revision was loaded from; 0 for a new document
    int m_editSession = 0;    // counts the edits begun, so a late answer finds its own edit
};

} // namespace folio
