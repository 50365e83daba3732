#include "app/aboutbox.h"

#include "app/appicon.h"
#include "shell/helpcontext.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace folio {

AboutBox::AboutBox(const QString &version, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_version(new QLabel(QStringLiteral("Version ") + version, this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Foliokeeper"));
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(this, HelpContext::About);
    setFixedSize(360, 220);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setGeometry(0, 150, width(), 22);
    m_version->setAlignment(Qt::AlignCenter);
    QPalette palette = m_version->palette();
    palette.setColor(QPalette::WindowText, QColor(220, 228, 245));
    m_version->setPalette(palette);
    // Clicks on the label reach the box.
    m_version->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AboutBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(34, 64, 120));
    sky.setColorAt(1, QColor(12, 28, 60));
    p.fillRect(rect(), sky);
    applicationIcon().paint(&p, QRect(width() / 2 - 40, 18, 80, 80));
    p.setPen(Qt::white);
    QFont title = font();
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 108, width(), 36), Qt::AlignCenter, QStringLiteral("Folio Keeper"));
    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(160, 176, 206));
    p.drawText(QRect(0, 184, width(), 20), Qt::AlignCenter, QStringLiteral("Click anywhere to close"));
}

void AboutBox::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

} // namespace folio
