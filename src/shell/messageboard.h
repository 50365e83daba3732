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

// What a board call ended with: Yes for OK or Yes; None for No, for a call
// refused because the board was busy, and for a wait that ended because the
// window went away.
enum class BoardAnswer { None = 0, Yes = 1 };
// Slide the board in and wait, or only slide it out.
enum class BoardMode { SlideOut = 0, Show = 1 };
// The buttons shown: OK, Yes and No, or the ones of the last message.
enum class BoardButtons { Ok = 0, YesNo = 1, Keep = 2 };

// The in-window message board: slides in from the right edge of its host
// window with a beep, shows one message with OK or with Yes and No, waits
// for a click while the rest of the window keeps working, and slides out.
class MessageBoard : public QFrame
{
    Q_OBJECT
public:
    explicit MessageBoard(QWidget *host);
    ~MessageBoard() override;

    // SlideOut slides the board out (answer None). Show shows the message
    // and waits for a button. While another call is running the call is
    // refused with None and nothing changes.
    BoardAnswer showMessageBoard(BoardMode mode, BoardButtons buttons, const QString &message, quint32 bgrColor);

    BoardAnswer inform(const QString &message);          // OK, dark blue
    BoardAnswer warn(const QString &message);            // OK, dark red
    BoardAnswer ask(const QString &message);             // Yes/No, dark red
    // Asks even when another message is waiting: that one ends with None
    // first. For questions that must be answered, such as saving before
    // the window closes.
    BoardAnswer askOverriding(const QString &message);

    bool isBusy() const { return m_busy; }
    bool isWaiting() const { return m_wait != nullptr; }
    // The window is closing: every wait has ended and no call is accepted.
    bool isShutDown() const { return m_shutDown; }
    // Ends a waiting call with `answer`.
    void endWait(BoardAnswer answer);
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
    void answer(BoardAnswer value);
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
