#include "shell/messageboard.h"

#include "shell/colors.h"
#include "shell/twips.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

namespace folio {

BoardButton::BoardButton(const QString &name, const QString &caption, QWidget *parent)
    : QLabel(caption, parent)
{
    setObjectName(name);
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(11);
    setFont(f);
}

void BoardButton::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void BoardButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        Q_EMIT clicked();
}

void BoardButton::mouseMoveEvent(QMouseEvent *)
{
    Q_EMIT hovered();
}

// One waiting call: its answer and the event loop it waits in.
struct MessageBoard::Wait
{
    BoardAnswer answer = BoardAnswer::None;
    QEventLoop loop;
};

MessageBoard::MessageBoard(QWidget *host)
    : QFrame(host)
    , m_label(new QLabel(this))
    , m_ok(new BoardButton(QStringLiteral("picOK"), QStringLiteral("OK"), this))
    , m_yes(new BoardButton(QStringLiteral("picYes"), QStringLiteral("Yes"), this))
    , m_no(new BoardButton(QStringLiteral("picNo"), QStringLiteral("No"), this))
{
    setObjectName(QStringLiteral("picMessageBoard"));
    setMouseTracking(true);
    resize(twips(3900), twips(2295));
    m_label->setObjectName(QStringLiteral("lblmessageBoard"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(twips(240), twips(240), twips(3015), twips(1515));
    m_label->setMouseTracking(true);
    m_yes->setGeometry(twips(3120), twips(1560), twips(570), twips(225));
    m_no->setGeometry(twips(3120), twips(1800), twips(570), twips(225));
    m_ok->setGeometry(twips(3120), twips(1800), twips(570), twips(225));
    m_yes->hide();
    m_no->hide();

    connect(m_ok, &BoardButton::clicked, this, [this] { answer(BoardAnswer::Yes); });
    connect(m_yes, &BoardButton::clicked, this, [this] { answer(BoardAnswer::Yes); });
    connect(m_no, &BoardButton::clicked, this, [this] { answer(BoardAnswer::None); });
    for (BoardButton *button : {m_ok, m_yes, m_no})
        connect(button, &BoardButton::hovered, this, [this, button] { showBorder(button); });
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
    move(hostWidth(), top);
    hide();
}

BoardAnswer MessageBoard::showMessageBoard(BoardMode mode, BoardButtons buttons, const QString &message,
                                           quint32 bgrColor)
{
    if (m_busy || m_shutDown)
        return BoardAnswer::None;
    m_busy = true;
    showBorder(nullptr);

    if (mode == BoardMode::SlideOut) {
        slide(qMax(1, (hostWidth() - x()) / 10));
        hide();
        m_busy = false;
        Q_EMIT becameIdle();
        return BoardAnswer::None;
    }

    QApplication::beep();
    m_label->setText(message);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(bgrColor));
    m_label->setPalette(palette);
    if (buttons == BoardButtons::Ok) {
        m_yes->hide();
        m_no->hide();
        m_ok->show();
    } else if (buttons == BoardButtons::YesNo) {
        m_yes->show();
        m_no->show();
        m_ok->hide();
    }
    move(hostWidth(), y());
    show();
    raise();
    slide(-qMax(1, width() / 10));

    // Wait for a button while the window goes on working. The loop sleeps
    // until an event arrives; it does not spin.
    Wait wait;
    Wait *outer = m_wait;
    m_wait = &wait;
    wait.loop.exec();
    m_wait = outer;
    m_busy = false;
    Q_EMIT becameIdle();
    return wait.answer;
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

BoardAnswer MessageBoard::askOverriding(const QString &message)
{
    if (m_shutDown)
        return BoardAnswer::None;
    if (m_wait)
        endWait(BoardAnswer::None);
    m_busy = false;
    return ask(message);
}

void MessageBoard::endWait(BoardAnswer value)
{
    if (!m_wait)
        return;
    m_wait->answer = value;
    m_wait->loop.quit();
    m_wait = nullptr;
    hide();
}

void MessageBoard::shutDown()
{
    m_shutDown = true;
    endWait(BoardAnswer::None);
}

void MessageBoard::answer(BoardAnswer value)
{
    if (!m_wait)
        return;
    Wait *wait = m_wait;
    wait->answer = value;
    m_busy = false;
    showMessageBoard(BoardMode::SlideOut, BoardButtons::Ok, QString(), 0);
    wait->loop.quit();
}

// Eleven steps; the board is repainted at each and nothing else runs meanwhile.
void MessageBoard::slide(int step)
{
    for (int i = 0; i <= 10; ++i) {
        move(x() + step, y());
        if (isVisible())
            repaint();
        if (m_slideDelay > 0)
            QThread::msleep(m_slideDelay);
    }
}

void MessageBoard::showBorder(QLabel *hovered)
{
    for (QLabel *button : {static_cast<QLabel *>(m_ok), static_cast<QLabel *>(m_yes), static_cast<QLabel *>(m_no)})
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
