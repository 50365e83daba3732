#pragma once

#include <QFrame>
#include <QLabel>

class QEventLoop;

namespace folio {

// A picture used as a button: reacts to a click and to the pointer moving over it.
class BoardButton : public QLabel
{
    Q_OBJECT
public:
    BoardButton(const QString &name, const QString &caption, QWidget *parent);

Q_SIGNALS:
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// The in-window message board: slides in from the right edge of its host
// window with a beep, shows one message with OK or with Yes and No, waits
// for a click while the rest of the window keeps working, and slides out.
class MessageBoard : public QFrame
{
    Q_OBJECT
public:
    enum Buttons { OkButton = 0, YesNoButtons = 1, KeepButtons = 2 };

    explicit MessageBoard(QWidget *host);
    ~MessageBoard() override;

    // Mode 0 slides the board out (returns 0). Any other mode shows the
    // message and waits: 1 for OK or Yes, 0 for No. While another call is
    // running the call is refused with 0 and nothing changes.
    int showMessageBoard(int mode, int buttons, const QString &message, quint32 bgrColor);

    int inform(const QString &message);          // OK, dark blue
    int warn(const QString &message);            // OK, dark red
    int ask(const QString &message);             // Yes/No, dark red
    // Asks even when another message is waiting: that one ends with 0
    // first. For questions that must be answered, such as saving before
    // the window closes.
    int askOverriding(const QString &message);

    bool isBusy() const { return m_busy; }
    bool isWaiting() const { return m_wait != nullptr; }
    // Ends a waiting call with `answer`.
    void endWait(int answer);
    // The window is closing: a waiting call ends with 0 and every later call
    // is refused with 0.
    void shutDown();
    // Pause between the eleven steps of a slide.
    void setSlideDelay(int milliseconds) { m_slideDelay = milliseconds; }
    // Where the board rests vertically and where it starts (the host's right edge).
    void park(int top);

Q_SIGNALS:
    void becameIdle();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Wait;
    void answer(int value);
    void slide(int step);
    void showBorder(QLabel *hovered);
    int hostWidth() const;

    QLabel *m_label;
    BoardButton *m_ok;
    BoardButton *m_yes;
    BoardButton *m_no;
    Wait *m_wait = nullptr;
    bool m_busy = false;
    bool m_shutDown = false;
    int m_slideDelay = 21;
};

} // namespace folio
