#include "update/progresspictures.h"

#include <QLinearGradient>
#include <QPainter>

namespace folio {

QPixmap makeProgressTrack()
{
    QPixmap track(ProgressPictureWidth, ProgressPictureHeight);
    QPainter p(&track);
    QLinearGradient groove(0, 0, 0, ProgressPictureHeight);
    groove.setColorAt(0, QColor(200, 200, 204));
    groove.setColorAt(1, QColor(236, 236, 240));
    p.fillRect(track.rect(), groove);
    return track;
}

QList<QPixmap> makeProgressFills()
{
    // Hues spread round the colour wheel so each cycle looks different.
    QList<QPixmap> fills;
    for (int i = 0; i < 10; ++i) {
        const QColor base = QColor::fromHsv(i * 36, 170, 220);
        QPixmap fill(ProgressPictureWidth, ProgressPictureHeight);
        QPainter p(&fill);
        QLinearGradient shade(0, 0, 0, ProgressPictureHeight);
        shade.setColorAt(0, base.lighter(135));
        shade.setColorAt(0.5, base);
        shade.setColorAt(1, base.darker(130));
        p.fillRect(fill.rect(), shade);
        // Slanted stripes, so the growing fill reads as movement.
        p.setPen(QPen(base.darker(115), 6));
        for (int x = -ProgressPictureHeight; x < ProgressPictureWidth; x += 18)
            p.drawLine(x, ProgressPictureHeight, x + ProgressPictureHeight, 0);
        fills.append(fill);
    }
    return fills;
}

} // namespace folio
