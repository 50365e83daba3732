// The user manual and the help window, the about box and the program's
// icon.
#include "app/aboutbox.h"
#include "app/appicon.h"
#include "app/helpwindow.h"
#include "session/version.h"
#include "widgets/helpcontext.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace folio;

namespace {

const QString ManualSource = QStringLiteral(FOLIO_MANUAL_PATH);
const QList<int> Topics = {1000, 240, 310, 320, 330, 340, 360, 370};

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTopicHasItsOwnPage()
    {
        QSet<QString> pages;
        for (int topic : Topics) {
            const QString page = helpTopicFile(topic);
            QVERIFY2(QFileInfo(QDir(ManualSource).filePath(page)).isFile(), qPrintable(page));
            QVERIFY2(page != QStringLiteral("index.html"), qPrintable(page));
            pages.insert(page);
        }
        QCOMPARE(pages.size(), Topics.size());
        QCOMPARE(helpTopicFile(0), QStringLiteral("index.html"));
        QCOMPARE(helpTopicFile(999), QStringLiteral("index.html"));
    }

    void manualLinksLeadToPagesThatExist()
    {
        const QDir dir(ManualSource);
        const QStringList files = dir.entryList({QStringLiteral("*.html")});
        QVERIFY(files.contains(QStringLiteral("index.html")));
        static const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
        for (const QString &file : files) {
            const QString html = readAll(dir.filePath(file));
            QVERIFY2(html.contains(QStringLiteral("<h1>")), qPrintable(file));
            if (file != QStringLiteral("index.html"))
                QVERIFY2(html.contains(QStringLiteral("href=\"index.html\"")), qPrintable(file));
            for (auto m = link.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1).section(QLatin1Char('#'), 0, 0);
                QVERIFY2(files.contains(target), qPrintable(file + QStringLiteral(" links to ") + target));
            }
        }
    }

    void windowShowsTopicsByNumber()
    {
        HelpWindow window(ManualSource);
        window.show();
        QSet<QString> titles;
        for (int topic : Topics + QList<int>{0}) {
            window.showTopic(topic);
            QCOMPARE(window.topic(), topic);
            titles.insert(window.browser()->documentTitle());
        }
        QCOMPARE(titles.size(), Topics.size() + 1);   // each topic its own page
        QCOMPARE(window.browser()->documentTitle(), QStringLiteral("Folio Keeper user manual"));
        // Following a link to the contents and back.
        window.showTopic(310);
        const QString folders = window.browser()->documentTitle();
        window.browser()->setSource(QUrl(QStringLiteral("index.html")));
        QCOMPARE(window.browser()->documentTitle(), QStringLiteral("Folio Keeper user manual"));
        window.browser()->backward();
        QCOMPARE(window.browser()->documentTitle(), folders);
    }

    void missingManualSaysWhereItLooked()
    {
        QTemporaryDir empty;
        HelpWindow window(manualFolder(empty.path()));
        window.showTopic(330);
        const QString text = window.browser()->toPlainText();
        QVERIFY(text.contains(QStringLiteral("The user manual cannot be found")));
        QVERIFY(text.contains(QDir::toNativeSeparators(manualFolder(empty.path()))));
        QVERIFY(text.contains(QStringLiteral("editor.html")));
    }

    void helpContextOfTheNearestCarrier()
    {
        QWidget window;
        auto *pane = new QWidget(&window);
        auto *inner = new QWidget(pane);
        QCOMPARE(helpContextOf(inner), 0);
        setHelpContext(&window, HelpContext::MainWindow);
        QCOMPARE(helpContextOf(inner), 1000);
        setHelpContext(pane, HelpContext::TitleAndEditor);
        QCOMPARE(helpContextOf(inner), 330);
        QCOMPARE(helpContextOf(&window), 1000);
    }

    void aboutBoxShowsTheVersionAndClosesOnAClick()
    {
        for (const char *where : {"window", "label"}) {
            QPointer<AboutBox> box = new AboutBox(appVersion(), QStringLiteral("/home/ann/.local/share/foliokeeper"));
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box));
            auto *label = box->findChild<QLabel *>(QStringLiteral("lblVersion"));
            QVERIFY(label);
            QCOMPARE(label->text(), QStringLiteral("Version ") + appVersion());
            // Where the data lives, for a copy of one's own.
            QCOMPARE(box->findChild<QLabel *>(QStringLiteral("lblDataFolder"))->text(),
                     QStringLiteral("Data: /home/ann/.local/share/foliokeeper"));
            QWidget *target = qstrcmp(where, "label") == 0 ? static_cast<QWidget *>(label) : box.data();
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(10, 10));
            QTRY_VERIFY2(box.isNull(), where);
        }
    }

    void applicationIconIsDrawn()
    {
        const QIcon icon = applicationIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(64, 64).toImage();
        QCOMPARE(image.size(), QSize(64, 64));
        // The night-blue tile fills the middle of the left edge; the corner
        // is transparent (rounded).
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const QColor edge = image.pixelColor(4, 32);
        QVERIFY2(edge.blue() > edge.red() + 20, qPrintable(edge.name()));
        QVERIFY(!icon.pixmap(256, 256).isNull());
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
