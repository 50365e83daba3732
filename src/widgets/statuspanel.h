#pragma once

#include <QLabel>
#include <QStatusBar>

namespace folio {

// The status pictures, drawn 12 pixels square: 1 busy (red), 2 idle
// (green), 3 busy while a document is put into the editor (amber).
QPixmap statusPicture(int index);

// What panel 1 shows about the database.
enum class DbStatus { Idle = 0, Busy = 1, Loading = 2 };

// The main window's status bar: panel 1 the database state (a picture and
// IDLE or BUSY), panel 3 the current folder, panel 4 the current document.
class StatusPanel : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusPanel(QWidget *parent = nullptr);

    // IDLE, BUSY, or BUSY with the picture of a document being loaded.
    // Work shows BUSY through a BusyScope, which cannot leave it behind.
    void setDbStatus(DbStatus state);
    DbStatus dbStatus() const { return m_state; }

    // Used by BusyScope: the first scope shows `shown`, the last one to end
    // shows IDLE.
    void enterBusy(DbStatus shown);
    void leaveBusy();

    void setPanel(int number, const QString &text, const QString &toolTip);
    // Panel 3: the current folder's path, or NULL when none is selected.
    void showCurrentFolder(const QString &path);
    // Panel 4: the shown document's title (empty: none).
    void showCurrentDocument(qint64 num, const QString &title);
    QLabel *panel(int number) const;

private:
    QLabel *m_picture;
    QLabel *m_panels[4];
    DbStatus m_state = DbStatus::Idle;
    int m_busyDepth = 0;
};

} // namespace folio
