#include "session/appstate.h"

namespace folio {

void AppState::selectFolder(DirNum num)
{
    setCurrentDirNum(num);
    Q_EMIT folderSelected(num);
}

bool AppState::selectDocument(DocNum num)
{
    if (!mayProceed(leaveEdit()))
        return false;
    setCurrentDocNum(num);
    Q_EMIT documentSelected(num);
    return true;
}

bool AppState::navigateTo(DirNum dir, DocNum doc)
{
    if (doc != 0 && !mayProceed(leaveEdit()))
        return false;
    selectFolder(dir);
    if (doc != 0) {
        setCurrentDocNum(doc);
        Q_EMIT documentSelected(doc);
    }
    return true;
}

LeaveOutcome AppState::leaveEdit()
{
    return m_leaveHandler ? m_leaveHandler() : LeaveOutcome::Left;
}

void AppState::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT commandModeChanged(commandMode());
}

void AppState::setRecovering(bool recovering)
{
    if (m_recovering == recovering)
        return;
    m_recovering = recovering;
    Q_EMIT commandModeChanged(commandMode());
}

CommandMode AppState::commandMode() const
{
    if (m_busy)
        return CommandMode::Busy;
    if (m_editMode == EditMode::Edit)
        return CommandMode::Edit;
    return m_recovering ? CommandMode::Recovering : CommandMode::Browse;
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
    Q_EMIT commandModeChanged(commandMode());
}

void AppState::setEditorReady(bool ready)
{
    if (m_editorReady == ready)
        return;
    m_editorReady = ready;
    Q_EMIT editorReadyChanged(ready);
}

} // namespace folio
