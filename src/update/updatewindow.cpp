#include "update/updatewindow.h"

#include "update/digitstrip.h"
#include "update/progresspictures.h"
#include "update/versionfile.h"
#include "update/versionsource.h"
#include "widgets/colors.h"
#include "widgets/helpcontext.h"
#include "widgets/prompts.h"
#include "widgets/windowtopmost.h"
#include "widgets/windowtopmost.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStyle>
#include <QTimer>

namespace folio {

namespace {

constexpr quint32 StatusBlue = 0x800000;    // the status line's own colour
constexpr quint32 StatusPurple = 0xC800C8;  // no newer version
constexpr quint32 StatusRed = 0x0000FF;     // no information

const QString DownloadCaption = QStringLiteral("Download Now");
const QString BlankCaption = QStringLiteral("   ");

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

UpdateWindow::UpdateWindow(QString runningVersion, std::unique_ptr<VersionSource> source, QUrl downloadPage,
                           std::shared_ptr<UrlOpener> urls, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_runningVersion(std::move(runningVersion))
    , m_source(std::move(source))
    , m_downloadPage(std::move(downloadPage))
    , m_urls(std::move(urls))
    , m_random([](int bound) { return int(QRandomGenerator::global()->bounded(bound)); })
    , m_fills(makeProgressFills())
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("Check New Version"));
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(this, HelpContext::Update);
    setFixedSize(420, 232);
    buildControls();

    connect(m_source.get(), &VersionSource::fetched, this, &UpdateWindow::showFetched);
    connect(m_source.get(), &VersionSource::failed, this, &UpdateWindow::showNoInformation);
    connect(m_timer1, &QTimer::timeout, this, &UpdateWindow::timer1Tick);
    connect(m_timer2, &QTimer::timeout, this, &UpdateWindow::timer2Tick);
    connect(m_timer3, &QTimer::timeout, this, &UpdateWindow::timer3Tick);

    // The window starts on top, with the download not yet offered.
    m_progressValue = 0;
    setWindowTopmost(this, TopmostTrue);
    m_cmdDownload->setEnabled(false);
    displayDigital(m_picVer1, m_runningVersion, m_picture1->pixmap());
    displayDigital(m_picVer2, QStringLiteral("........"), m_picture1->pixmap());
    m_timer3->stop();
    m_timer1->start();
    m_timer2->start();
}

UpdateWindow::~UpdateWindow()
{
    m_source->disconnect(this);
    m_source->cancel();
}

void UpdateWindow::buildControls()
{
    m_label1 = makeLabel(this, "Label1", QStringLiteral("Connecting to internet......"), QRect(24, 14, 372, 22));
    setStatus(m_label1->text(), StatusBlue);
    makeLabel(this, "Label2", QStringLiteral("Installed Version:"), QRect(24, 52, 130, 20));
    makeLabel(this, "Label3", QStringLiteral("Latest Version:"), QRect(24, 82, 130, 20));
    m_picVer1 = makeLabel(this, "picVer1", QString(), QRect(160, 52, 0, 0));
    m_picVer1->setToolTip(QStringLiteral("The version of the software you installed"));
    m_picVer2 = makeLabel(this, "picVer2", QString(), QRect(160, 82, 0, 0));
    m_picVer2->setToolTip(QStringLiteral("The latest version available in official website"));

    m_picture1 = makeLabel(this, "Picture1", QString(), QRect(0, 0, DigitCells * DigitCellWidth, DigitCellHeight));
    m_picture1->setPixmap(makeDigitStrip());
    m_picture1->hide();

    // The fill lies over the track; both start with the track picture, so
    // the first cycle keeps the track as its background.
    const QRect track(60, 120, ProgressPictureWidth, 24);
    m_progressPic1 = makeLabel(this, "ProgressPic1", QString(), track);
    m_progressPic2 = makeLabel(this, "ProgressPic2", QString(), QRect(track.topLeft(), QSize(1, track.height())));
    for (QLabel *box : {m_progressPic1, m_progressPic2}) {
        box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        box->setPixmap(makeProgressTrack());
    }
    m_progressPic1->setFrameShape(QFrame::Panel);
    m_progressPic1->setFrameShadow(QFrame::Sunken);
    m_progressPic2->raise();

    m_cmdDownload = makeButton(this, "cmdDownload", DownloadCaption, QRect(24, 170, 170, 36));
    m_cmdDownload->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    connect(m_cmdDownload, &QPushButton::clicked, this, [this] {
        // An address that cannot be opened is ignored, as is a browser
        // that fails to start.
        if (m_urls && m_downloadPage.isValid())
            m_urls->openUrl(m_downloadPage);
    });
    QPushButton *exit = makeButton(this, "Command4", QStringLiteral("Exit"), QRect(236, 170, 76, 36));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    QPushButton *help = makeButton(this, "Command5", QStringLiteral("Help"), QRect(320, 170, 76, 36));
    connect(help, &QPushButton::clicked, this, &UpdateWindow::helpRequested);

    // Receives the downloaded text; never shown.
    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(24, 260, 372, 40);
    m_text1->hide();

    m_timer1 = makeTimer(this, "Timer1", 200);
    m_timer2 = makeTimer(this, "Timer2", 1000);
    m_timer3 = makeTimer(this, "Timer3", 0);
}

void UpdateWindow::setStatus(const QString &text, quint32 bgr)
{
    m_label1->setText(text);
    QPalette palette = m_label1->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(bgr));
    m_label1->setPalette(palette);
}

bool UpdateWindow::setProgressPic(int value)
{
    if (value == 0) {
        m_progressPic2->setVisible(true);
        m_progressPic2->setGeometry(m_progressPic1->x(), m_progressPic1->y(), 1, m_progressPic1->height());
        m_progressPic1->setPixmap(m_progressPic2->pixmap());
        m_progressPic2->setPixmap(m_fills.at(m_random(int(m_fills.size()))));
        m_progressPic1->repaint();
        m_progressPic2->repaint();
        return false;
    }
    if (value < 1 || value > 100)
        return true;
    m_progressPic2->resize(int(value / 100.0 * m_progressPic1->width()), m_progressPic2->height());
    m_progressPic2->repaint();
    return false;
}

void UpdateWindow::timer1Tick()
{
    setProgressPic(m_progressValue);
    m_progressValue += m_random(5);
    if (m_progressValue >= 99) {
        setProgressPic(0);
        m_progressValue = 1;
    }
}

void UpdateWindow::timer2Tick()
{
    m_timer2->stop();
    m_cmdDownload->setEnabled(false);
    m_source->fetch();
}

void UpdateWindow::timer3Tick()
{
    m_cmdDownload->setText(m_cmdDownload->text() == BlankCaption ? DownloadCaption : BlankCaption);
}

void UpdateWindow::showFetched(const QByteArray &bytes)
{
    const QString text = versionFileText(bytes);
    m_text1->setPlainText(text);
    const std::optional<QString> published = publishedVersion(text);
    if (!published) {
        showNoInformation();
        return;
    }
    displayDigital(m_picVer2, *published, m_picture1->pixmap());
    m_timer1->stop();
    if (isNewerVersion(*published, m_runningVersion)) {
        m_cmdDownload->setEnabled(true);
        m_timer3->setInterval(1000);
        m_timer3->start();
        setStatus(QStringLiteral("Find new version, you can donwload it now"), StatusBlue);
    } else {
        m_cmdDownload->setEnabled(false);
        setStatus(QStringLiteral("Not find new version, please check later"), StatusPurple);
    }
}

void UpdateWindow::showNoInformation()
{
    m_timer1->stop();
    setStatus(QStringLiteral("Cannot get information from internet, please check later"), StatusRed);
}

void UpdateWindow::closeEvent(QCloseEvent *event)
{
    // Closing mid-check abandons the request; nothing arrives afterwards.
    m_source->cancel();
    m_timer1->stop();
    m_timer2->stop();
    m_timer3->stop();
    QWidget::closeEvent(event);
}

} // namespace folio
