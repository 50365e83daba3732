#pragma once

#include "storage/types.h"

#include <QFrame>

class QToolBar;

namespace folio {

struct AppContext;
struct RecoveredEdit;
enum class EditMode;

// What became of a save.
enum class SaveOutcome { Stored, Refused };
class FontBoxes;
class FormattingBar;
class HtmlEditor;
class TitleBox;

// The document pane (lower right): the editor cool bar with the save and
// cancel keys, the title box and the formatting bar, above the editor. It
// shows one document read-only (browse mode) or lets the user write a new
// one or revise the shown one (edit mode).
class DocumentPane : public QFrame
{
    Q_OBJECT
public:
    DocumentPane(AppContext &context, QWidget *parent = nullptr);

    HtmlEditor *editor() const { return m_editor; }
    TitleBox *titleBox() const { return m_title; }
    QWidget *coolBar() const { return m_coolBar; }
    QToolBar *saveCancelBar() const { return m_saveCancel; }
    FormattingBar *formattingBar() const { return m_formatting; }
    FontBoxes &fontBoxes() const { return *m_fonts; }

    // Reads a document into the pane; a number without a row leaves the
    // pane as it is.
    void loadDocument(DocNum num);
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
    // Prints the shown document, as Ctrl+P in the editing control does.
    void printDocument();
    // In edit mode with changes the user has not saved.
    bool hasUnsavedChanges() const;
    // Before the pane's text is replaced: with unsaved changes, asks
    // whether to save them. False when the user wants them saved and the
    // save was refused (the caller stops); true to go on.
    bool settleUnsavedChanges();
    // Asks whether to save unsaved changes before the window closes: false
    // when the window must stay open (the save was refused).
    bool confirmClose();
    // The program is being ended without asking (a signal): unsaved changes
    // are kept in the recovery file. False when they could not be written.
    bool keepUnsavedForRecovery();
    // At start: an edit kept by the last run is offered back; Yes reopens it
    // in edit mode as it was, No lets it go. The file goes once answered.
    void offerRecovery();

Q_SIGNALS:
    // Editing ended (saved or cancelled); `num` is the document the pane
    // now shows (0: none), to be selected in the list.
    void editingFinished(folio::DocNum num);

private:
    void buildCoolBar();
    void clearDocument();
    void leaveEditing(bool reloadStored);
    void showTitleInPanel();
    // A document chosen in the list, the find dialog or a drop.
    void showSelectedDocument(DocNum num);
    void followReopen();
    void restoreEdit(const RecoveredEdit &edit);

    AppContext &m_context;
    QWidget *m_coolBar;
    QToolBar *m_saveCancel;
    TitleBox *m_title;
    HtmlEditor *m_editor;
    FontBoxes *m_fonts;
    FormattingBar *m_formatting;
    QString m_loadedTitle;
};

} // namespace folio
