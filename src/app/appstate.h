#pragma once

#include "storage/types.h"

#include <QObject>
#include <QString>

namespace folio {

// The state that several parts of the main window read and write: the
// current folder and document, the editor's mode and readiness, and the
// version texts. Each change is announced.
class AppState : public QObject
{
    Q_OBJECT
public:
    explicit AppState(QObject *parent = nullptr) : QObject(parent) {}

    DirNum currentDirNum() const { return m_currentDirNum; }
    DocNum currentDocNum() const { return m_currentDocNum; }
    // 0 browse mode, 1 edit mode.
    int editMode() const { return m_editMode; }
    bool editorReady() const { return m_editorReady; }
    const QString &appVersion() const { return m_appVersion; }
    const QString &storedVersion() const { return m_storedVersion; }

    void setCurrentDirNum(DirNum num);
    void setCurrentDocNum(DocNum num);
    void setEditMode(int mode);
    void setEditorReady(bool ready);
    void setAppVersion(const QString &version) { m_appVersion = version; }
    void setStoredVersion(const QString &version) { m_storedVersion = version; }

Q_SIGNALS:
    void currentDirChanged(folio::DirNum num);
    void currentDocChanged(folio::DocNum num);
    void editModeChanged(int mode);
    void editorReadyChanged(bool ready);

private:
    DirNum m_currentDirNum = 0;
    DocNum m_currentDocNum = 0;
    int m_editMode = 0;
    bool m_editorReady = false;
    QString m_appVersion;
    QString m_storedVersion;
};

} // namespace folio
