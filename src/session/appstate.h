#pragma once

#include "storage/types.h"

#include <QObject>
#include <QString>
#include <functional>

namespace folio {

// The document pane is read-only (browse) or being written (edit).
enum class EditMode { Browse = 0, Edit = 1 };

// What the commands may do: browse; edit; browse while words kept by an
// earlier run wait for the user's answer (no edit may begin, so nothing
// overwrites them); or nothing that needs the database while maintenance
// replaces or copies the file (busy).
enum class CommandMode { Browse, Edit, Recovering, Busy };

// How the document pane let go of what it showed before something else
// replaces it: there was nothing to keep (Left), the edit was saved, or
// dropped after the user said No, or the pane keeps it (Stayed: the user
// cancelled, the save was refused or the question could not be asked).
enum class LeaveOutcome { Left, Saved, Discarded, Stayed };

inline bool mayProceed(LeaveOutcome outcome)
{
    return outcome != LeaveOutcome::Stayed;
}

// The state that several parts of the main window share: the current folder
// and document, the editor's mode and readiness, the version text. It is the
// one writer of the current folder and document; the tree, the list, the
// document pane and the status panels follow its signals.
class AppState : public QObject
{
    Q_OBJECT
public:
    explicit AppState(QObject *parent = nullptr) : QObject(parent) {}

    DirNum currentDirNum() const { return m_currentDirNum; }
    DocNum currentDocNum() const { return m_currentDocNum; }
    EditMode editMode() const { return m_editMode; }
    bool isEditing() const { return m_editMode == EditMode::Edit; }
    bool editorReady() const { return m_editorReady; }
    // Whether the document list has a selected entry (revising needs one).
    bool documentEntrySelected() const { return m_entrySelected; }
    const QString &appVersion() const { return m_appVersion; }

    // The user (or the program for the user) chose a folder: it becomes the
    // current folder and its documents are listed, also when it already was
    // the current one (its list is read again). 0 means none.
    void selectFolder(DirNum num);
    // The user chose a document: the pane leaves its edit first, then the
    // document becomes the current one and the pane shows it, also when it
    // already was (its stored text is read again). False, with nothing
    // changed, when the pane stayed in its edit.
    bool selectDocument(DocNum num);
    // The one way to jump to a document (find results, drops, deletes,
    // restore): the pane leaves its edit first; then the folder is selected
    // and listed, and the document selected and shown. Doc 0 selects the
    // folder only and leaves an edit alone, as a click in the tree does.
    // False, with nothing changed, when the pane stayed in its edit.
    bool navigateTo(DirNum dir, DocNum doc);

    // Asks the document pane to leave its edit before something replaces
    // what it shows: every such path calls this first and goes on only
    // when mayProceed(). Left when no pane is attached.
    LeaveOutcome leaveEdit();
    void setLeaveHandler(std::function<LeaveOutcome()> handler) { m_leaveHandler = std::move(handler); }

    // A document was stored (saved, or a version of it restored).
    void announceDocumentSaved(DocNum num) { Q_EMIT documentSaved(num); }
    // A folder was made by something other than the tree (a restored
    // document's folder): the tree shows it.
    void announceFolderCreated(DirNum parent, DirNum num, const QString &name)
    {
        Q_EMIT folderCreated(parent, num, name);
    }

    // Maintenance work on the file is running: commands that need the
    // database wait (see commandMode()).
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);
    // Words kept by an earlier run wait for the user's answer.
    bool isRecovering() const { return m_recovering; }
    void setRecovering(bool recovering);
    CommandMode commandMode() const;

    // Plain changes, announced only when the value changes: the pane's own
    // bookkeeping (a new document is 0 until stored), the reset at load.
    void setCurrentDirNum(DirNum num);
    void setCurrentDocNum(DocNum num);
    void setEditMode(EditMode mode);
    void setEditorReady(bool ready);
    void setDocumentEntrySelected(bool selected) { m_entrySelected = selected; }
    // The file behind the numbers is about to be replaced: no folder and no
    // document is current any more.
    void forgetCurrent();
    void setAppVersion(const QString &version) { m_appVersion = version; }

Q_SIGNALS:
    void currentDirChanged(folio::DirNum num);
    void currentDocChanged(folio::DocNum num);
    // A folder or document was chosen (see selectFolder, selectDocument).
    void folderSelected(folio::DirNum num);
    void documentSelected(folio::DocNum num);
    void editModeChanged(folio::EditMode mode);
    void editorReadyChanged(bool ready);
    void documentSaved(folio::DocNum num);
    void folderCreated(folio::DirNum parent, folio::DirNum num, const QString &name);
    // The edit mode, busy or recovering changed.
    void commandModeChanged(folio::CommandMode mode);

private:
    DirNum m_currentDirNum = 0;
    DocNum m_currentDocNum = 0;
    EditMode m_editMode = EditMode::Browse;
    bool m_editorReady = false;
    bool m_entrySelected = false;
    bool m_busy = false;
    bool m_recovering = false;
    QString m_appVersion;
    std::function<LeaveOutcome()> m_leaveHandler;
};

} // namespace folio
