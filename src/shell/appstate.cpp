#include "shell/appstate.h"

namespace folio {

void AppState::selectFolder(DirNum num)
{
    setCurrentDirNum(num);
    Q_EMIT folderSelected(num);
}

void AppState::selectDocument(DocNum num)
{
    setCurrentDocNum(num);
    Q_EMIT documentSelected(num);
}

void AppState::navigateTo(DirNum dir, DocNum doc)
{
    selectFolder(dir);
    if (doc != 0)
        selectDocument(doc);
}

void AppState::forgetCurrent()
{
    setCurrentDirNum(0);
    setCurrentDocNum(0);
    m_entrySelected = false;
}

void AppState::setCurrentDirNum(DirNum num)
{
    if (m_currentDirNum == num)
        return;
    m_currentDirNum = num;
    Q_EMIT currentDirChanged(num);
}

void AppState::setCurrentDocNum(DocNum num)
{
    if (m_currentDocNum == num)
        return;
    m_currentDocNum = num;
    Q_EMIT currentDocChanged(num);
}

void AppState::setEditMode(EditMode mode)
{
    if (m_editMode == mode)
        return;
    m_editMode = mode;
    Q_EMIT editModeChanged(mode);
}

void AppState::setEditorReady(bool ready)
{
    if (m_editorReady == ready)
        return;
    m_editorReady = ready;
    Q_EMIT editorReadyChanged(ready);
}

} // namespace folio
