#include "app/aboutbox.h"

#include "app/appicon.h"
#include "widgets/helpcontext.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace folio {

AboutBox::AboutBox(const QString &version, const QString &dataDir, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_version(new QLabel(QStringLiteral("Version ") + version, this))
    , m_dataDir(new QLabel(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Foliokeeper"));
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(this, HelpContext::About);
    setFixedSize(360, 240);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setGeometry(0, 150, width(), 22);
    m_version->setAlignment(Qt::AlignCenter);
    QPalette palette = m_version->palette();
    palette.setColor(QPalette::WindowText, QColor(220, 228, 245));
    m_version->setPalette(palette);
    // Where the knowledge base lives, so that a user can find it for a
    // copy of their own; a long path loses its middle.
    m_dataDir->setObjectName(QStringLiteral("lblDataFolder"));
    m_dataDir->setGeometry(8, 176, width() - 16, 18);
    m_dataDir->setAlignment(Qt::AlignCenter);
    QFont small = m_dataDir->font();
    small.setPixelSize(11);
    m_dataDir->setFont(small);
    const QString shown = QDir::toNativeSeparators(dataDir);
    m_dataDir->setText(QStringLiteral("Data: ")
                       + QFontMetrics(small).elidedText(shown, Qt::ElideMiddle, m_dataDir->width() - 40));
    m_dataDir->setToolTip(shown);
    palette.setColor(QPalette::WindowText, QColor(190, 202, 228));
    m_dataDir->setPalette(palette);
    // Clicks on the labels reach the box.
    m_version->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dataDir->setAttribute(Qt::WA_TransparentForMouseEvents);
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
    p.drawText(QRect(0, 206, width(), 20), Qt::AlignCenter, QStringLiteral("Click anywhere to close"));
}

void AboutBox::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

} // namespace folio
