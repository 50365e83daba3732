#pragma once

#include "storage/types.h"

#include <QObject>
#include <QString>

namespace folio {

// The document pane is read-only (browse) or being written (edit).
enum class EditMode { Browse = 0, Edit = 1 };

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
    // The user chose a document: it becomes the current one and the pane
    // shows it, also when it already was (its stored text is read again).
    void selectDocument(DocNum num);
    // The one way to jump to a document (find results, drops, deletes,
    // restore): selects the folder, lists it, then selects and shows the
    // document (doc 0: the folder only).
    void navigateTo(DirNum dir, DocNum doc);

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

private:
    DirNum m_currentDirNum = 0;
    DocNum m_currentDocNum = 0;
    EditMode m_editMode = EditMode::Browse;
    bool m_editorReady = false;
    bool m_entrySelected = false;
    QString m_appVersion;
};

} // namespace folio
