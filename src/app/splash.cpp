#include "app/splash.h"

#include "widgets/twips.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace folio {

Splash::Splash(const QString &version, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_version(version)
{
    setObjectName(QStringLiteral("frmStartup"));
    resize(twips(4140), twips(3270));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Splash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(34, 64, 120));
    sky.setColorAt(1, QColor(12, 28, 60));
    p.fillRect(rect(), sky);

    // A closed book: cover, spine and pages.
    const QRectF book(width() * 0.36, height() * 0.16, width() * 0.28, height() * 0.42);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 235, 220));
    p.drawRoundedRect(book.translated(6, 4), 4, 4);
    p.setBrush(QColor(176, 48, 40));
    p.drawRoundedRect(book, 4, 4);
    p.setBrush(QColor(120, 28, 24));
    p.drawRect(QRectF(book.left(), book.top(), book.width() * 0.12, book.height()));

    p.setPen(Qt::white);
    QFont title = font();
    title.setPixelSize(24);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(0, height() * 0.64, width(), 32), Qt::AlignCenter, QStringLiteral("Folio Keeper"));
    QFont small = font();
    small.setPixelSize(12);
    p.setFont(small);
    p.drawText(QRectF(0, height() * 0.64 + 34, width(), 20), Qt::AlignCenter, QStringLiteral("Version ") + m_version);
}

} // namespace folio
