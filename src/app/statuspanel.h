#pragma once

#include <QLabel>
#include <QStatusBar>

namespace folio {

// The main window's status bar: panel 1 the database state (a picture and
// IDLE or BUSY), panel 3 the current folder, panel 4 the current document.
class StatusPanel : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusPanel(QWidget *parent = nullptr);

    // 0 IDLE, 1 BUSY, 2 BUSY with the second picture; other states change nothing.
    void setDbStatus(int state);
    int dbStatus() const { return m_state; }

    void setPanel(int number, const QString &text, const QString &toolTip);
    QLabel *panel(int number) const;

private:
    QLabel *m_picture;
    QLabel *m_panels[4];
    int m_state = 0;
};

} // namespace folio
