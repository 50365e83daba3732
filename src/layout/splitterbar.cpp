#include "layout/splitterbar.h"

#include "layout/sizingicons.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>

namespace folio {

namespace {

// The keys fill the bar's thickness exactly: no frame, padding or spacing
// that would push the pictures out of a bar only 13 pixels thick.
const char *const KeyBarStyle =
    "QToolBar { border: 0px; padding: 0px; margin: 0px; spacing: 0px; background: transparent; }"
    "QToolButton { border: 0px; padding: 0px; margin: 0px; }"
    "QToolButton:hover { background: palette(light); }"
    "QToolButton:pressed { background: palette(mid); }";

} // namespace

QString sizingKeyToolTip(SizingKey key)
{
    switch (key) {
    case SizingKey::DocTop:
        return QStringLiteral("Maximum Browser/Editor Area");
    case SizingKey::DocMid:
        return QStringLiteral("Tile Document List and Browser/Editor Area");
    case SizingKey::DocBottom:
        return QStringLiteral("Maximum Document List Area");
    case SizingKey::DirLeft:
        return QStringLiteral("Minimum Document Folder Area");
    case SizingKey::DirMid:
        return QStringLiteral("Tile Document Folder and List area");
    case SizingKey::DirRight:
        return QStringLiteral("Maximum Document Folder area");
    }
    return {};
}

SplitterBar::SplitterBar(Qt::Orientation orientation, const QString &name, const QString &toolBarName,
                         const QList<SizingKey> &keys, QWidget *parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_toolBar(new QToolBar(this))
{
    setObjectName(name);
    setCursor(sizingCursor());
    m_toolBar->setObjectName(toolBarName);
    m_toolBar->setOrientation(orientation);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setStyleSheet(QLatin1String(KeyBarStyle));
    // The keys keep the ordinary arrow; only the bar itself sizes.
    m_toolBar->setCursor(Qt::ArrowCursor);
    for (SizingKey key : keys) {
        QAction *action = m_toolBar->addAction(sizingKeyIcon(key), sizingKeyToolTip(key));
        action->setObjectName(sizingKeyName(key));
        action->setToolTip(sizingKeyToolTip(key));
        connect(action, &QAction::triggered, this, [this, key] { Q_EMIT keyTriggered(key); });
    }
}

Qt::CursorShape SplitterBar::sizingCursor() const
{
    return m_orientation == Qt::Vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

void SplitterBar::setThickness(int pixels)
{
    if (pixels == m_thickness)
        return;
    m_thickness = pixels;
    const QSize key(pixels, pixels);
    m_toolBar->setIconSize(key);
    const QList<QAction *> actions = m_toolBar->actions();
    for (QAction *action : actions)
        if (QWidget *button = m_toolBar->widgetForAction(action))
            button->setFixedSize(key);
    const int length = pixels * int(actions.size());
    m_toolBar->setFixedSize(m_orientation == Qt::Vertical ? QSize(pixels, length) : QSize(length, pixels));
    m_toolBar->move(0, 0);
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT pressed();
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    if (cursor().shape() != sizingCursor())
        setCursor(sizingCursor());
    event->accept();
    Q_EMIT moved(event->position().toPoint());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT released();
}

// A raised strip: light on the leading edge, dark on the trailing one, so
// the bar reads as something to take hold of.
void SplitterBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().button());
    p.setPen(palette().color(QPalette::Light));
    if (m_orientation == Qt::Vertical)
        p.drawLine(r.topLeft(), r.bottomLeft());
    else
        p.drawLine(r.topLeft(), r.topRight());
    p.setPen(palette().color(QPalette::Mid));
    if (m_orientation == Qt::Vertical)
        p.drawLine(r.topRight(), r.bottomRight());
    else
        p.drawLine(r.bottomLeft(), r.bottomRight());
}

} // namespace folio
