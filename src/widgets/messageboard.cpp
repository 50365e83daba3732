#include "widgets/messageboard.h"

#include "widgets/clickablelabel.h"
#include "widgets/colors.h"
#include "widgets/twips.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainter>

namespace folio {

namespace {

// The board's buttons are captions in bold that react to a click and
// show a border while the pointer is over them.
ClickableLabel *boardButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new ClickableLabel(name, parent);
    button->setText(caption);
    button->setAlignment(Qt::AlignCenter);
    button->setMouseTracking(true);
    button->setAutoFillBackground(true);
    QFont f = button->font();
    f.setBold(true);
    f.setPixelSize(11);
    button->setFont(f);
    return button;
}

} // namespace

// One waiting call: its answer and the event loop it waits in.
struct MessageBoard::Wait
{
    BoardAnswer answer = BoardAnswer::NotAsked;
    QEventLoop loop;
};

MessageBoard::MessageBoard(QWidget *host)
    : QFrame(host)
    , m_label(new QLabel(this))
    , m_ok(boardButton(QStringLiteral("picOK"), QStringLiteral("OK"), this))
    , m_yes(boardButton(QStringLiteral("picYes"), QStringLiteral("Yes"), this))
    , m_no(boardButton(QStringLiteral("picNo"), QStringLiteral("No"), this))
    , m_cancel(boardButton(QStringLiteral("picCancel"), QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("picMessageBoard"));
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    resize(twips(3900), twips(2295));
    m_label->setObjectName(QStringLiteral("lblmessageBoard"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(twips(240), twips(240), twips(3015), twips(1515));
    m_label->setMouseTracking(true);
    m_ok->setGeometry(twips(3120), twips(1800), twips(570), twips(225));
    m_yes->hide();
    m_no->hide();
    m_cancel->hide();

    connect(m_ok, &ClickableLabel::clicked, this, [this] { answer(BoardAnswer::Yes); });
    connect(m_yes, &ClickableLabel::clicked, this, [this] { answer(BoardAnswer::Yes); });
    connect(m_no, &ClickableLabel::clicked, this, [this] { answer(BoardAnswer::No); });
    connect(m_cancel, &ClickableLabel::clicked, this, [this] { answer(BoardAnswer::Cancel); });
    for (ClickableLabel *button : {m_ok, m_yes, m_no, m_cancel})
        connect(button, &ClickableLabel::hovered, this, [this, button] { showBorder(button); });
    connect(&m_slideTimer, &QTimer::timeout, this, &MessageBoard::slideOneStep);
    hide();
}

MessageBoard::~MessageBoard()
{
    if (m_wait)
        m_wait->loop.quit();
}

int MessageBoard::hostWidth() const
{
    return parentWidget() ? parentWidget()->width() : width();
}

void MessageBoard::park(int top)
{
    m_slideTimer.stop();
    move(hostWidth(), top);
    hide();
}

BoardAnswer MessageBoard::showMessageBoard(BoardMode mode, BoardButtons buttons, const QString &message,
                                           quint32 bgrColor)
{
    if (m_busy || m_shutDown)
        return BoardAnswer::NotAsked;
    showBorder(nullptr);

    if (mode == BoardMode::SlideOut) {
        if (isVisible())
            startSlide(qMax(1, (hostWidth() - x()) / 10), true);
        return BoardAnswer::NotAsked;
    }

    m_busy = true;
    QApplication::beep();
    m_label->setText(message);
    // A screen reader says the message as it comes, as it would an alert box.
    setAccessibleDescription(message);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(bgrColor));
    m_label->setPalette(palette);
    showButtons(buttons);
    move(hostWidth(), y());
    show();
    raise();
    takeFocus(m_yes->isVisible());
    startSlide(-qMax(1, width() / 10), false);

    // Wait for a button while the window goes on working (the slide too).
    // The loop sleeps until an event arrives; it does not spin.
    Wait wait;
    Wait *outer = m_wait;
    m_wait = &wait;
    wait.loop.exec();
    m_wait = outer;
    m_busy = m_wait != nullptr;
    if (!m_busy)
        Q_EMIT becameIdle();
    return wait.answer;
}

void MessageBoard::showButtons(BoardButtons buttons)
{
    if (buttons == BoardButtons::Keep)
        return;
    const bool question = buttons != BoardButtons::Ok;
    const bool cancel = buttons == BoardButtons::YesNoCancel;
    // Yes above No where OK stands; with Cancel the column moves up a row
    // so that Cancel stands where OK does.
    const int top = cancel ? 1320 : 1560;
    m_yes->setGeometry(twips(3120), twips(top), twips(570), twips(225));
    m_no->setGeometry(twips(3120), twips(top + 240), twips(570), twips(225));
    m_cancel->setGeometry(twips(3000), twips(top + 480), twips(690), twips(225));  // a longer word
    m_ok->setVisible(!question);
    m_yes->setVisible(question);
    m_no->setVisible(question);
    m_cancel->setVisible(cancel);
}

BoardAnswer MessageBoard::inform(const QString &message)
{
    return showMessageBoard(BoardMode::Show, BoardButtons::Ok, message, InformColor);
}

BoardAnswer MessageBoard::warn(const QString &message)
{
    return showMessageBoard(BoardMode::Show, BoardButtons::Ok, message, WarningColor);
}

BoardAnswer MessageBoard::ask(const QString &message)
{
    return showMessageBoard(BoardMode::Show, BoardButtons::YesNo, message, WarningColor);
}

BoardAnswer MessageBoard::askUrgent(const QString &message, BoardButtons buttons)
{
    if (m_shutDown)
        return BoardAnswer::NotAsked;
    // The message waiting now cannot return before this question has been
    // answered (its wait lies further out on the stack); it ends unanswered.
    endWait(BoardAnswer::NotAsked);
    m_busy = false;
    return showMessageBoard(BoardMode::Show, buttons, message, WarningColor);
}

void MessageBoard::endWait(BoardAnswer value)
{
    if (!m_wait)
        return;
    m_wait->answer = value;
    m_wait->loop.quit();
    m_wait = nullptr;
    m_slideTimer.stop();
    hide();
}

void MessageBoard::shutDown()
{
    m_shutDown = true;
    endWait(BoardAnswer::NotAsked);
    m_slideTimer.stop();
    hide();
}

// A question (the answer of an action the user just took) takes the keys
// so that it can be answered at once. A notice takes them too, unless the
// user is typing text: a notice arriving then must not swallow the next
// keystrokes or be dismissed unread by the next Enter.
void MessageBoard::takeFocus(bool question)
{
    QWidget *focused = QApplication::focusWidget();
    const bool typing = (qobject_cast<QLineEdit *>(focused) && !static_cast<QLineEdit *>(focused)->isReadOnly())
        || (qobject_cast<QTextEdit *>(focused) && !static_cast<QTextEdit *>(focused)->isReadOnly());
    if (!question && typing)
        return;
    if (!window() || !window()->isActiveWindow())
        return;
    m_focusBefore = focused;
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
}

void MessageBoard::keyPressEvent(QKeyEvent *event)
{
    if (!m_wait) {
        QFrame::keyPressEvent(event);
        return;
    }
    const bool question = m_yes->isVisible();
    const bool cancel = m_cancel->isVisible();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        answer(BoardAnswer::Yes);
        return;
    case Qt::Key_Escape:
        // Where Cancel is offered, Esc leaves everything as it was: it never
        // throws away unsaved words as No would.
        answer(!question ? BoardAnswer::Yes : cancel ? BoardAnswer::Cancel : BoardAnswer::No);
        return;
    case Qt::Key_Y:
        if (question)
            answer(BoardAnswer::Yes);
        return;
    case Qt::Key_N:
        if (question)
            answer(BoardAnswer::No);
        return;
    case Qt::Key_C:
        if (cancel)
            answer(BoardAnswer::Cancel);
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void MessageBoard::answer(BoardAnswer value)
{
    if (!m_wait)
        return;
    Wait *wait = m_wait;
    m_wait = nullptr;  // a second click before the wait returns changes nothing
    wait->answer = value;
    wait->loop.quit();
    m_busy = false;
    // The keys go back where they were typed before the board came.
    if (hasFocus()) {
        setFocusPolicy(Qt::NoFocus);
        if (m_focusBefore)
            m_focusBefore->setFocus(Qt::OtherFocusReason);
    }
    m_focusBefore = nullptr;
    showMessageBoard(BoardMode::SlideOut, BoardButtons::Ok, QString(), 0);
}

// Eleven steps of `step` pixels, the first at once and the others from a
// timer, so that the window keeps painting and answering meanwhile.
void MessageBoard::startSlide(int step, bool hideWhenDone)
{
    m_slideStep = step;
    m_slideStepsLeft = 11;
    m_hideWhenSlid = hideWhenDone;
    m_slideTimer.stop();
    if (m_slideDelay <= 0) {
        while (m_slideStepsLeft > 0)
            slideOneStep();
        return;
    }
    slideOneStep();
    m_slideTimer.start(m_slideDelay);
}

void MessageBoard::slideOneStep()
{
    if (m_slideStepsLeft <= 0) {
        m_slideTimer.stop();
        return;
    }
    move(x() + m_slideStep, y());
    if (--m_slideStepsLeft > 0)
        return;
    m_slideTimer.stop();
    if (m_hideWhenSlid)
        hide();
}

void MessageBoard::showBorder(QLabel *hovered)
{
    for (QLabel *button : {static_cast<QLabel *>(m_ok), static_cast<QLabel *>(m_yes), static_cast<QLabel *>(m_no),
                           static_cast<QLabel *>(m_cancel)})
        button->setFrameShape(button == hovered ? QFrame::Box : QFrame::NoFrame);
}

void MessageBoard::mouseMoveEvent(QMouseEvent *)
{
    showBorder(nullptr);
}

void MessageBoard::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(255, 252, 232));
    g.setColorAt(1, QColor(244, 236, 200));
    p.setBrush(g);
    p.setPen(QPen(QColor(150, 130, 80), 1.5));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
}

} // namespace folio
