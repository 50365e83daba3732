#include "layout/sizingicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QApplication>

namespace folio {

namespace {

// Each picture is a pane edge and an arrow that says where the edge goes:
// to the far side, to the middle, or to the near side. The "Dir" keys move
// a vertical edge, the "Doc" keys a horizontal one; the "Doc" pictures are
// the "Dir" pictures turned a quarter.
class SizingIconEngine : public QIconEngine
{
public:
    explicit SizingIconEngine(SizingKey key) : m_key(key) {}

    QIconEngine *clone() const override { return new SizingIconEngine(m_key); }
    QString key() const override { return QStringLiteral("folio.sizing"); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QApplication::palette();
        const QColor ink = mode == QIcon::Disabled ? palette.color(QPalette::Disabled, QPalette::ButtonText)
                                                   : palette.color(QPalette::Active, QPalette::ButtonText);
        const QColor accent = mode == QIcon::Disabled ? ink : QColor(0x1f, 0x5f, 0xb0);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool vertical = m_key == SizingKey::DocTop || m_key == SizingKey::DocMid || m_key == SizingKey::DocBottom;
        // Draw on a unit square; turn it for the horizontal edges.
        const qreal side = qMin(rect.width(), rect.height());
        painter->translate(rect.center() + QPointF(0.5, 0.5));
        painter->scale(side, side);
        if (vertical)
            painter->rotate(90);
        painter->translate(-0.5, -0.5);
        drawPicture(painter, ink, accent, side);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pix(size);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pix;
    }

private:
    // The unit square, with "left" meaning the edge's low side.
    void drawPicture(QPainter *p, const QColor &ink, const QColor &accent, qreal side)
    {
        const qreal line = qMax(1.0, side / 13.0) / side;   // one screen pixel
        p->setPen(QPen(ink, line));
        p->setBrush(Qt::NoBrush);
        qreal edge = 0.5;
        qreal direction = 0;   // -1 towards the low side, +1 towards the high side
        switch (m_key) {
        case SizingKey::DirLeft:
        case SizingKey::DocTop:
            edge = 0.72;
            direction = -1;
            break;
        case SizingKey::DirRight:
        case SizingKey::DocBottom:
            edge = 0.28;
            direction = 1;
            break;
        case SizingKey::DirMid:
        case SizingKey::DocMid:
            break;
        }
        // The edge itself.
        p->drawLine(QPointF(edge, 0.08), QPointF(edge, 0.92));
        p->setPen(Qt::NoPen);
        p->setBrush(accent);
        if (direction != 0) {
            p->drawPath(arrow(edge + direction * 0.08, direction, 0.52));
        } else {
            // Two arrows meeting at the middle edge.
            p->drawPath(arrow(0.06, 1, 0.36));
            p->drawPath(arrow(0.94, -1, 0.36));
        }
    }

    // A filled arrow starting at x = `from`, pointing to `direction`.
    static QPainterPath arrow(qreal from, qreal direction, qreal length)
    {
        const qreal tip = from + direction * length;
        const qreal neck = tip - direction * 0.26;
        QPainterPath path;
        path.moveTo(from, 0.42);
        path.lineTo(neck, 0.42);
        path.lineTo(neck, 0.22);
        path.lineTo(tip, 0.5);
        path.lineTo(neck, 0.78);
        path.lineTo(neck, 0.58);
        path.lineTo(from, 0.58);
        path.closeSubpath();
        return path;
    }

    SizingKey m_key;
};

} // namespace

QIcon sizingKeyIcon(SizingKey key)
{
    return QIcon(new SizingIconEngine(key));
}

} // namespace folio
