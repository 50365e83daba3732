#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

class QLabel;

namespace folio {

class ClickableLabel;

// What a board call ended with. NotAsked is not an answer: the call was
// refused (the board was busy), its message was replaced by a question
// that had to be asked, or the window went away. No caller may take it
// for No.
enum class BoardAnswer { NotAsked = -1, No = 0, Yes = 1, Cancel = 2 };
// Slide the board in and wait, or only slide it out.
enum class BoardMode { SlideOut = 0, Show = 1 };
// The buttons shown: OK; Yes and No; the ones of the last message; Yes,
// No and Cancel.
enum class BoardButtons { Ok = 0, YesNo = 1, Keep = 2, YesNoCancel = 3 };

// The in-window message board: slides in from the right edge of its host
// window with a beep, shows one message with OK or with Yes and No, waits
// for a click while the rest of the window keeps working, and slides out.
// The slide runs from a timer: the window never stops for it.
class MessageBoard : public QFrame
{
    Q_OBJECT
public:
    explicit MessageBoard(QWidget *host);
    ~MessageBoard() override;

    // SlideOut slides the board out. Show shows the message and waits for
    // a button. While another call is running the call is refused with
    // NotAsked and nothing changes.
    BoardAnswer showMessageBoard(BoardMode mode, BoardButtons buttons, const QString &message, quint32 bgrColor);

    BoardAnswer inform(const QString &message);          // OK, dark blue
    BoardAnswer warn(const QString &message);            // OK, dark red
    BoardAnswer ask(const QString &message);             // Yes/No, dark red
    // A question that must reach the user (unsaved words): a message that
    // is waiting for an answer ends with NotAsked and this one takes the
    // board. Yes, No and (by default) Cancel; NotAsked only when the window
    // goes away or a later such question replaces this one.
    BoardAnswer askUrgent(const QString &message, BoardButtons buttons = BoardButtons::YesNoCancel);

    bool isBusy() const { return m_busy; }
    bool isWaiting() const { return m_wait != nullptr; }
    bool isSliding() const { return m_slideTimer.isActive(); }
    // The window is closing: every wait has ended and no call is accepted.
    bool isShutDown() const { return m_shutDown; }
    // Ends a waiting call with `answer`.
    void endWait(BoardAnswer answer);
    // The window is closing: a waiting call ends with NotAsked and every
    // later call is refused.
    void shutDown();
    // Pause between the eleven steps of a slide; 0 moves it at once.
    void setSlideDelay(int milliseconds) { m_slideDelay = milliseconds; }
    // Where the board rests vertically and where it starts (the host's right edge).
    void park(int top);

Q_SIGNALS:
    void becameIdle();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // Enter or Return: OK or Yes; Esc: OK, No, or Cancel where offered; Y,
    // N and C: Yes, No and Cancel.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Wait;
    void takeFocus(bool question);
    void answer(BoardAnswer value);
    void showButtons(BoardButtons buttons);
    void startSlide(int step, bool hideWhenDone);
    void slideOneStep();
    void showBorder(QLabel *hovered);
    int hostWidth() const;

    QLabel *m_label;
    ClickableLabel *m_ok;
    ClickableLabel *m_yes;
    ClickableLabel *m_no;
    ClickableLabel *m_cancel;
    QPointer<QWidget> m_focusBefore;
    Wait *m_wait = nullptr;
    QTimer m_slideTimer;
    int m_slideStep = 0;
    int m_slideStepsLeft = 0;
    bool m_hideWhenSlid = false;
    bool m_busy = false;
    bool m_shutDown = false;
    int m_slideDelay = 21;
};

} // namespace folio
