// The new-version window against a real HTTP server on 127.0.0.1: the
// version file's rules, the three end states, time-out, cancel and the
// reply cap; the digit display and the progress animation.
#include "update/digitstrip.h"
#include "update/networkversionsource.h"
#include "update/siteaddress.h"
#include "update/updatewindow.h"
#include "update/versionfile.h"
#include "widgets/helpcontext.h"
#include "widgets/prompts.h"
#include "widgets/windowtopmost.h"

#include <QHostAddress>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <deque>

using namespace folio;
using namespace std::chrono_literals;

namespace {

const QString Running = QStringLiteral("02.00.03");

// Answers every GET with one canned reply, or (silent) reads the request
// and never answers. Remembers the paths asked for and open connections.
class VersionServer : public QObject
{
public:
    VersionServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_open;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    --m_open;
                    socket->deleteLater();
                });
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    void answer(int status, QByteArray body)
    {
        m_status = status;
        m_body = std::move(body);
        m_silent = false;
    }
    void stayQuiet() { m_silent = true; }
    QStringList paths;
    int openConnections() const { return m_open; }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        paths.append(QString::fromLatin1(request.split(' ').value(1)));
        if (m_silent)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(m_status) + " X\r\nContent-Type: text/plain\r\n"
                          "Content-Length: " + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n";
        socket->write(head + m_body);
        socket->disconnectFromHost();
    }
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_requests;
    int m_status = 200;
    QByteArray m_body;
    bool m_silent = false;
    int m_open = 0;
};

// A source that never answers, for tests of the window alone.
class IdleSource : public VersionSource
{
public:
    void fetch() override { ++fetches; }
    void cancel() override {}
    int fetches = 0;
};

class RecordedUrls : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

// Numbers from a script, for the animation's random steps and pictures.
struct ScriptedRandom
{
    std::deque<int> numbers;
    int operator()(int bound)
    {
        const int n = numbers.empty() ? 0 : numbers.front();
        if (!numbers.empty())
            numbers.pop_front();
        return qBound(0, n, bound - 1);
    }
};

template <typename T> T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

QImage cellOf(const QPixmap &picture, int cell)
{
    return picture.toImage().copy(cell * DigitCellWidth, 0, DigitCellWidth, DigitCellHeight);
}

QImage digitsImage(const QString &text)
{
    QLabel label;
    displayDigital(&label, text, makeDigitStrip());
    return label.pixmap().toImage();
}

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<RecordedUrls> m_urls = std::make_shared<RecordedUrls>();
    QPointer<UpdateWindow> openOn(const QString &base, std::chrono::milliseconds limit = 10s)
    {
        qputenv(SiteUrlVariable, base.toUtf8());
        auto source = std::make_unique<NetworkVersionSource>(siteUrl(VersionFilePath), limit);
        auto *w = new UpdateWindow(Running, std::move(source), siteUrl(DownloadPagePath), m_urls);
        w->show();
        return w;
    }

private Q_SLOTS:
    void cleanup()
    {
        qunsetenv(SiteUrlVariable);
        m_urls->opened.clear();
    }

    void versionFileRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("published");  // null: no information
        QTest::newRow("exact") << QByteArray("Foliok02.00.04") << QStringLiteral("02.00.04");
        QTest::newRow("with a line end and notes") << QByteArray("Foliok02.00.04\r\nfixes\r\n") << QStringLiteral("02.00.04");
        QTest::newRow("13 characters") << QByteArray("Foliok02.00.0") << QStringLiteral("02.00.0");
        QTest::newRow("12 characters") << QByteArray("Foliok02.00.") << QString();
        QTest::newRow("lower-case key") << QByteArray("foliok02.00.04") << QString();
        QTest::newRow("other key") << QByteArray("<html>02.00.04</html>") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("bytes above 127") << QByteArray("Foliok\xe9\xff.00.04") << QStringLiteral("\u00e9\u00ff.00.04");
    }
    void versionFileRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, published);
        const QString text = versionFileText(bytes);
        QCOMPARE(text.size(), bytes.size());
        const std::optional<QString> found = publishedVersion(text);
        QCOMPARE(found.has_value(), !published.isNull());
        if (found)
            QCOMPARE(*found, published);
    }

    void versionComparison()
    {
        QVERIFY(isNewerVersion(QStringLiteral("02.00.04"), Running));
        QVERIFY(isNewerVersion(QStringLiteral("02.01.00"), QStringLiteral("02.00.99")));
        QVERIFY(isNewerVersion(QStringLiteral("10.00.00"), QStringLiteral("09.99.99")));
        QVERIFY(!isNewerVersion(Running, Running));
        QVERIFY(!isNewerVersion(QStringLiteral("02.00.02"), Running));
        QVERIFY(!isNewerVersion(QStringLiteral("02.00.0"), Running));  // a 13-character file
    }

    void siteAddress()
    {
        qunsetenv(SiteUrlVariable);
        QCOMPARE(siteUrl(DownloadPagePath).scheme(), QStringLiteral("https"));
        QCOMPARE(siteUrl(DownloadPagePath).path(), QStringLiteral("/download.htm"));

        qputenv(SiteUrlVariable, "http://127.0.0.1:8731");
        QCOMPARE(siteUrl(VersionFilePath), QUrl(QStringLiteral("http://127.0.0.1:8731/download/foliok.txt")));
        QCOMPARE(siteUrl(FeedbackPagePath), QUrl(QStringLiteral("http://127.0.0.1:8731/feedback.htm")));
        qputenv(SiteUrlVariable, "https://mirror.example/foliok/");
        QCOMPARE(siteUrl(DownloadPagePath), QUrl(QStringLiteral("https://mirror.example/foliok/download.htm")));

        for (const char *bad : {"ftp://mirror.example", "not an address", "file:///etc/passwd", "http://"}) {
            qputenv(SiteUrlVariable, bad);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("FOLIOK_SITE_URL is not")));
            QVERIFY2(!siteUrl(VersionFilePath).isValid(), bad);
        }
    }

    void loadState()
    {
        UpdateWindow w(Running, std::make_unique<IdleSource>(), QUrl(), nullptr);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(child<QLabel>(&w, "Label1")->text(), QStringLiteral("Connecting to internet......"));
        QCOMPARE(child<QLabel>(&w, "picVer1")->pixmap().toImage(), digitsImage(Running));
        QCOMPARE(child<QLabel>(&w, "picVer2")->pixmap().toImage(), digitsImage(QStringLiteral("........")));
        QVERIFY(!child<QPushButton>(&w, "cmdDownload")->isEnabled());
        QVERIFY(child<QTimer>(&w, "Timer1")->isActive() && child<QTimer>(&w, "Timer2")->isActive());
        QVERIFY(!child<QTimer>(&w, "Timer3")->isActive());
        QSignalSpy help(&w, &UpdateWindow::helpRequested);
        child<QPushButton>(&w, "Command5")->click();
        QCOMPARE(help.count(), 1);
    }

    void checkAgainstServer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("download");
        const QColor blue(0, 0, 0x80), purple(200, 0, 200), red(255, 0, 0);
        const QString newer = QStringLiteral("Find new version, you can donwload it now");
        const QString same = QStringLiteral("Not find new version, please check later");
        const QString none = QStringLiteral("Cannot get information from internet, please check later");
        const QString dots = QStringLiteral("........");
        QTest::newRow("newer") << 200 << QByteArray("Foliok02.00.04\r\n") << newer << blue << "02.00.04" << true;
        QTest::newRow("same") << 200 << QByteArray("Foliok02.00.03") << same << purple << "02.00.03" << false;
        QTest::newRow("older") << 200 << QByteArray("Foliok01.09.09") << same << purple << "01.09.09" << false;
        QTest::newRow("12 characters") << 200 << QByteArray("Foliok02.00.") << none << red << dots << false;
        QTest::newRow("lower-case key") << 200 << QByteArray("foliok02.00.04") << none << red << dots << false;
        QTest::newRow("404") << 404 << QByteArray("Foliok02.00.04") << none << red << dots << false;
        QTest::newRow("500") << 500 << QByteArray("Foliok02.00.04") << none << red << dots << false;
        QTest::newRow("empty") << 200 << QByteArray() << none << red << dots << false;
    }
    void checkAgainstServer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        QFETCH(QColor, color);
        QFETCH(QString, shown);
        QFETCH(bool, download);
        VersionServer server;
        server.answer(status, body);
        QPointer<UpdateWindow> w = openOn(server.base());
        auto *label1 = child<QLabel>(w, "Label1");
        QTRY_COMPARE(label1->text(), message);
        QCOMPARE(server.paths, QStringList{QStringLiteral("/download/foliok.txt")});
        QCOMPARE(label1->palette().color(QPalette::WindowText), color);
        QCOMPARE(child<QLabel>(w, "picVer2")->pixmap().toImage(), digitsImage(shown));
        QCOMPARE(child<QPushButton>(w, "cmdDownload")->isEnabled(), download);
        QVERIFY(!child<QTimer>(w, "Timer1")->isActive());
        QCOMPARE(child<QTimer>(w, "Timer3")->isActive(), download);
        if (download)
            QVERIFY(child<QPlainTextEdit>(w, "Text1")->toPlainText().startsWith(QString::fromLatin1(body.left(14))));
        w->close();
        QTRY_VERIFY(w.isNull());
    }

    void newerVersionBlinksAndOpensTheDownloadPage()
    {
        VersionServer server;
        server.answer(200, "Foliok02.00.04");
        QPointer<UpdateWindow> w = openOn(server.base());
        auto *download = child<QPushButton>(w, "cmdDownload");
        QTRY_VERIFY(download->isEnabled());
        // The caption alternates at the timer's one-second steps.
        QTRY_COMPARE_WITH_TIMEOUT(download->text(), QStringLiteral("   "), 2500);
        QTRY_COMPARE_WITH_TIMEOUT(download->text(), QStringLiteral("Download Now"), 2500);
        download->click();
        QCOMPARE(m_urls->opened, QList<QUrl>{QUrl(server.base() + QStringLiteral("/download.htm"))});
        child<QPushButton>(w, "Command4")->click();  // "Exit"
        QTRY_VERIFY(w.isNull());
    }

    void noAnswerGivesUpAtTheLimit()
    {
        VersionServer server;
        server.stayQuiet();
        QPointer<UpdateWindow> w = openOn(server.base(), 300ms);
        auto *label1 = child<QLabel>(w, "Label1");
        QTRY_COMPARE(label1->text(), QStringLiteral("Cannot get information from internet, please check later"));
        QCOMPARE(server.paths.size(), 1);  // asked, and given up on
        QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QTRY_COMPARE(server.openConnections(), 0);  // the request was abandoned, not left hanging
        delete w;
    }

    void closingCancelsTheCheck()
    {
        VersionServer server;
        server.stayQuiet();
        QPointer<UpdateWindow> w = openOn(server.base());
        QTRY_COMPARE(server.paths.size(), 1);
        QTRY_COMPARE(server.openConnections(), 1);
        w->close();
        QTRY_VERIFY(w.isNull());
        QTRY_COMPARE(server.openConnections(), 0);
    }

    void replyIsCapped()
    {
        VersionServer server;
        server.answer(200, "Foliok02.00.04" + QByteArray(2 * 1024 * 1024, 'x'));
        QPointer<UpdateWindow> w = openOn(server.base());
        QTRY_COMPARE(child<QLabel>(w, "Label1")->text(), QStringLiteral("Find new version, you can donwload it now"));
        const QString kept = child<QPlainTextEdit>(w, "Text1")->toPlainText();
        QCOMPARE(kept.size(), 4096);   // the first 4 KB are read, no more
        QVERIFY(kept.startsWith(QStringLiteral("Foliok02.00.04xxx")));
        delete w;
    }

    void unusableSiteAddressGivesNoInformation()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("FOLIOK_SITE_URL is not")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("FOLIOK_SITE_URL is not")));
        QPointer<UpdateWindow> w = openOn(QStringLiteral("gopher://old.example"));
        QTRY_COMPARE(child<QLabel>(w, "Label1")->text(),
                     QStringLiteral("Cannot get information from internet, please check later"));
        delete w;
    }

    void digitDisplay()
    {
        const QPixmap strip = makeDigitStrip();
        QCOMPARE(strip.size(), QSize(252, 20));
        // Every glyph is drawn and differs from the others; blank and the
        // last cell are empty.
        QImage empty(DigitCellWidth, DigitCellHeight, cellOf(strip, 0).format());
        empty.fill(DigitBackground);
        QCOMPARE(cellOf(strip, 10), empty);
        QCOMPARE(cellOf(strip, 17), empty);
        for (int a = 0; a < 17; ++a)
            for (int b = a + 1; b < 17; ++b)
                QVERIFY2(cellOf(strip, a) != cellOf(strip, b), qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        QCOMPARE(digitCell(u'x'), -1);

        // "1.2" and a letter: three glyphs, an empty fourth cell, four cells wide.
        QLabel box;
        box.setFrameShape(QFrame::Box);
        displayDigital(&box, QStringLiteral("1.2x"), strip);
        QCOMPARE(box.size(), QSize(4 * DigitCellWidth, DigitCellHeight));
        QCOMPARE(box.frameShape(), QFrame::NoFrame);
        QCOMPARE(cellOf(box.pixmap(), 0), cellOf(strip, 1));
        QCOMPARE(cellOf(box.pixmap(), 1), cellOf(strip, 15));
        QCOMPARE(cellOf(box.pixmap(), 2), cellOf(strip, 2));
        QCOMPARE(cellOf(box.pixmap(), 3), empty);
        // A letter first keeps the digits after it in their places.
        displayDigital(&box, QStringLiteral("x1"), strip);
        QCOMPARE(cellOf(box.pixmap(), 0), empty);
        QCOMPARE(cellOf(box.pixmap(), 1), cellOf(strip, 1));
    }

    void progressRange()
    {
        UpdateWindow w(Running, std::make_unique<IdleSource>(), QUrl(), nullptr);
        child<QTimer>(&w, "Timer1")->stop();
        auto *track = child<QLabel>(&w, "ProgressPic1");
        auto *fill = child<QLabel>(&w, "ProgressPic2");
        QVERIFY(!w.setProgressPic(0));
        QVERIFY(!w.setProgressPic(50));
        QCOMPARE(fill->width(), track->width() / 2);
        const QRect before = fill->geometry();
        const qint64 picture = fill->pixmap().cacheKey();
        QVERIFY(w.setProgressPic(101));
        QVERIFY(w.setProgressPic(-5));
        QCOMPARE(fill->geometry(), before);
        QCOMPARE(fill->pixmap().cacheKey(), picture);
        QVERIFY(!w.setProgressPic(100));
        QCOMPARE(fill->width(), track->width());
        QVERIFY(!w.setProgressPic(1));
        QCOMPARE(fill->width(), track->width() / 100);
    }

    void topmostRule()
    {
        QWidget window;
        window.setGeometry(100, 100, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        setWindowTopmost(&window, TopmostTrue);
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
        QCOMPARE(window.geometry(), QRect(100, 100, 300, 200));
        setWindowTopmost(&window, 1);  // 1 is not True
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
        QCOMPARE(window.geometry(), QRect(100, 100, 300, 200));
        setWindowTopmost(&window, TopmostTrue);
        setWindowTopmost(&window, 0);
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(TestUpdate)
#include "test_update.moc"
