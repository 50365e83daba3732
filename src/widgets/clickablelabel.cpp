#include "widgets/clickablelabel.h"

#include <QEvent>
#include <QMouseEvent>

namespace folio {

ClickableLabel::ClickableLabel(const QString &name, QWidget *parent) : QLabel(parent)
{
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    setPressed(event->button() == Qt::LeftButton);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    setPressed(false);
    if (click)
        Q_EMIT clicked();
}

void ClickableLabel::mouseMoveEvent(QMouseEvent *)
{
    Q_EMIT hovered();
}

void ClickableLabel::changeEvent(QEvent *event)
{
    // A press that a disable cut short is not half a click any more.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setPressed(false);
    QLabel::changeEvent(event);
}

void ClickableLabel::setPressed(bool pressed)
{
    m_pressed = pressed;
    if (frameShape() != QFrame::NoFrame)
        setFrameShadow(pressed ? QFrame::Sunken : QFrame::Raised);
}

} // namespace folio
