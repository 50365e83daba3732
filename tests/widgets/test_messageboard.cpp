// The message board (answers, refusal while busy, buttons, hover borders,
// the end of a wait when the window closes), the failure channel and the
// database status panel.

#include "support/testsupport.h"
#include "widgets/busyscope.h"
#include "widgets/colors.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"
#include "widgets/statuspanel.h"

#include <QFile>
#include <QTest>
#include <sys/resource.h>

using namespace folio;
using folio::test::clickNamed;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class TestMessageBoard : public QObject
{
    Q_OBJECT

    QWidget *m_host = nullptr;
    MessageBoard *m_board = nullptr;

    QLabel *label() { return m_board->findChild<QLabel *>(QStringLiteral("lblmessageBoard")); }
    QLabel *button(const char *name) { return m_board->findChild<QLabel *>(QLatin1String(name)); }

    // Clicks `name` once the board waits.
    void answerLater(const QString &name)
    {
        QTimer::singleShot(20, m_board, [this, name] {
            QVERIFY(m_board->isWaiting());
            clickNamed(m_board, name);
        });
    }

private Q_SLOTS:
    void init()
    {
        m_host = new QWidget;
        m_host->resize(800, 500);
        m_board = new MessageBoard(m_host);
        m_board->setSlideDelay(0);
        m_board->park(40);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
    }

    void cleanup()
    {
        delete m_host;
    }

    void answers()
    {
        answerLater(QStringLiteral("picOK"));
        QCOMPARE(m_board->showMessageBoard(BoardMode::Show, BoardButtons::Ok, QStringLiteral("Saved."), InformColor), BoardAnswer::Yes);
        QVERIFY(!m_board->isVisible());
        QVERIFY(!m_board->isBusy());

        answerLater(QStringLiteral("picYes"));
        QCOMPARE(m_board->ask(QStringLiteral("Really?")), BoardAnswer::Yes);
        answerLater(QStringLiteral("picNo"));
        QCOMPARE(m_board->ask(QStringLiteral("Really?")), BoardAnswer::No);
        // Sliding out alone asks nothing.
        QCOMPARE(m_board->showMessageBoard(BoardMode::SlideOut, BoardButtons::Ok, QString(), 0), BoardAnswer::NotAsked);
    }

    void messageTextColourAndPlace()
    {
        QTimer::singleShot(20, m_board, [this] {
            QCOMPARE(label()->text(), QStringLiteral("It's <b>not</b> markup"));
            QCOMPARE(label()->palette().color(QPalette::WindowText), QColor(144, 0, 0));
            QVERIFY(m_board->isVisible());
            // At rest wholly inside the window, near its right edge.
            QVERIFY(m_host->rect().contains(m_board->geometry()));
            QVERIFY(m_board->geometry().right() > m_host->width() - m_board->width() / 2);
            QCOMPARE(m_board->y(), 40);
            clickNamed(m_board, QStringLiteral("picOK"));
        });
        label()->setTextFormat(Qt::PlainText);
        m_board->warn(QStringLiteral("It's <b>not</b> markup"));
    }

    void busyBoardRefusesAndKeepsItsMessage()
    {
        BoardAnswer nested = BoardAnswer::Yes;
        QTimer::singleShot(20, m_board, [&] {
            nested = m_board->ask(QStringLiteral("Second question"));
            QCOMPARE(label()->text(), QStringLiteral("First"));
            QVERIFY(m_board->isVisible());
            clickNamed(m_board, QStringLiteral("picOK"));
        });
        QCOMPARE(m_board->inform(QStringLiteral("First")), BoardAnswer::Yes);
        // Refused is not No: the question never reached the user.
        QCOMPARE(nested, BoardAnswer::NotAsked);
    }

    // A question about unsaved words is never refused: it takes the board
    // from a message waiting for OK (whose call ends unanswered) and offers
    // Cancel beside Yes and No.
    void urgentQuestionTakesTheBoard()
    {
        BoardAnswer urgent = BoardAnswer::NotAsked;
        QTimer::singleShot(20, m_board, [&] {
            urgent = m_board->askUrgent(QStringLiteral("Save it first?"));
        });
        QTimer::singleShot(60, m_board, [this] {
            QCOMPARE(label()->text(), QStringLiteral("Save it first?"));
            QVERIFY(button("picYes")->isVisible() && button("picNo")->isVisible() && button("picCancel")->isVisible());
            // Three in a column, Cancel where OK stands, all on the board.
            QCOMPARE(button("picCancel")->geometry().bottom(), button("picOK")->geometry().bottom());
            QVERIFY(m_board->rect().contains(button("picCancel")->geometry()));
            QVERIFY(button("picYes")->geometry().bottom() < button("picNo")->geometry().top());
            QVERIFY(button("picNo")->geometry().bottom() < button("picCancel")->geometry().top());
            QVERIFY(!button("picOK")->isVisible());
            clickNamed(m_board, QStringLiteral("picCancel"));
        });
        QCOMPARE(m_board->inform(QStringLiteral("A tip nobody reads")), BoardAnswer::NotAsked);
        QCOMPARE(urgent, BoardAnswer::Cancel);
        QVERIFY(!m_board->isBusy());

        // Cancel is offered only where it was asked for.
        answerLater(QStringLiteral("picNo"));
        QCOMPARE(m_board->askUrgent(QStringLiteral("Restore?"), BoardButtons::YesNo), BoardAnswer::No);
        answerLater(QStringLiteral("picYes"));
        QCOMPARE(m_board->ask(QStringLiteral("Plain")), BoardAnswer::Yes);
        QVERIFY(!button("picCancel")->isVisible());
    }

    // The slide runs from a timer: while a message slides in and out the
    // event loop never stops for long.
    void slidingLeavesTheWindowAlive()
    {
        m_board->setSlideDelay(21);
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, m_board, [&] {
            const qint64 now = clock.elapsed();
            longest = qMax(longest, now - last);
            last = now;
        });
        clock.start();
        tick.start(5);
        QTimer::singleShot(400, m_board, [this] {
            QVERIFY(!m_board->isSliding());  // at rest after eleven steps
            clickNamed(m_board, QStringLiteral("picOK"));
        });
        m_board->inform(QStringLiteral("Sliding"));
        QVERIFY(m_board->isSliding());  // the slide out has begun, the call has returned
        QTRY_VERIFY(!m_board->isVisible());
        QVERIFY2(longest < 60, qPrintable(QStringLiteral("the event loop stood still for %1 ms").arg(longest)));
    }

    void buttonSets()
    {
        QTimer::singleShot(20, m_board, [this] {
            QVERIFY(button("picYes")->isVisible() && button("picNo")->isVisible());
            QVERIFY(!button("picOK")->isVisible() && !button("picCancel")->isVisible());
            QCOMPARE(button("picNo")->geometry(), button("picOK")->geometry());  // No where OK stands
            clickNamed(m_board, QStringLiteral("picNo"));
        });
        m_board->ask(QStringLiteral("Yes or no?"));

        // Any other set keeps the buttons the previous message showed.
        QTimer::singleShot(20, m_board, [this] {
            QVERIFY(button("picYes")->isVisible() && !button("picOK")->isVisible());
            clickNamed(m_board, QStringLiteral("picYes"));
        });
        QCOMPARE(m_board->showMessageBoard(BoardMode::Show, BoardButtons::Keep, QStringLiteral("Kept"), InformColor),
                 BoardAnswer::Yes);

        QTimer::singleShot(20, m_board, [this] {
            QVERIFY(button("picOK")->isVisible());
            QVERIFY(!button("picYes")->isVisible() && !button("picNo")->isVisible());
            clickNamed(m_board, QStringLiteral("picOK"));
        });
        m_board->inform(QStringLiteral("OK alone"));
    }

    void hoverBorders()
    {
        QTimer::singleShot(20, m_board, [this] {
            QTest::mouseMove(button("picYes"));
            QTRY_COMPARE(button("picYes")->frameShape(), QFrame::Box);
            QCOMPARE(button("picNo")->frameShape(), QFrame::NoFrame);
            QTest::mouseMove(button("picNo"));
            QTRY_COMPARE(button("picNo")->frameShape(), QFrame::Box);
            QCOMPARE(button("picYes")->frameShape(), QFrame::NoFrame);
            QTest::mouseMove(m_board, QPoint(5, 5));
            QTRY_COMPARE(button("picNo")->frameShape(), QFrame::NoFrame);
            clickNamed(m_board, QStringLiteral("picNo"));
        });
        m_board->ask(QStringLiteral("Hover"));
        // The next message starts without borders.
        QTimer::singleShot(20, m_board, [this] {
            QCOMPARE(button("picOK")->frameShape(), QFrame::NoFrame);
            clickNamed(m_board, QStringLiteral("picOK"));
        });
        m_board->inform(QStringLiteral("Plain"));
    }

    void waitingDoesNotSpin()
    {
        const double before = cpuSeconds();
        QTimer::singleShot(600, m_board, [this] { clickNamed(m_board, QStringLiteral("picOK")); });
        QElapsedTimer wall;
        wall.start();
        m_board->inform(QStringLiteral("Waiting"));
        const double cpu = cpuSeconds() - before;
        QVERIFY(wall.elapsed() >= 500);
        QVERIFY2(cpu < 0.3, qPrintable(QStringLiteral("%1 s of processor time in a 0.6 s wait").arg(cpu)));
    }

    void failuresWaitForAFreeBoard()
    {
        Notices notices(*m_board);
        QStringList shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, m_board, [&] {
            if (m_board->isWaiting() && (shown.isEmpty() || shown.last() != label()->text())) {
                shown << label()->text();
                QTimer::singleShot(0, m_board, [this] { clickNamed(m_board, QStringLiteral("picOK")); });
            }
        });
        QTimer::singleShot(10, m_board, [&] {
            notices.failure(QStringLiteral("Could not save the document: disk full"));
            notices.failure(QStringLiteral("Second failure"));
        });
        poll.start(30);
        m_board->inform(QStringLiteral("Busy first"));
        QTRY_COMPARE(shown.size(), 3);
        QCOMPARE(shown, QStringList({"Busy first", "Could not save the document: disk full", "Second failure"}));
        QCOMPARE(notices.pendingCount(), 0);
    }

    // A failure notice that an urgent question took the board from comes
    // back once the question is answered: it was never read.
    void replacedNoticeComesBack()
    {
        Notices notices(*m_board);
        QStringList shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, m_board, [&] {
            if (!m_board->isWaiting() || (!shown.isEmpty() && shown.last() == label()->text()))
                return;
            shown << label()->text();
            if (shown.size() == 1)  // the notice: a question arrives before anyone reads it
                QTimer::singleShot(0, m_board, [this] { m_board->askUrgent(QStringLiteral("Save it first?")); });
            else
                QTimer::singleShot(0, m_board, [this] {
                    clickNamed(m_board, button("picOK")->isVisible() ? QStringLiteral("picOK") : QStringLiteral("picNo"));
                });
        });
        poll.start(10);
        notices.failure(QStringLiteral("Could not save the document: disk full"));
        QTRY_COMPARE(shown.size(), 3);
        QCOMPARE(shown, QStringList({"Could not save the document: disk full", "Save it first?",
                                     "Could not save the document: disk full"}));
        QTRY_COMPARE(notices.pendingCount(), 0);
    }

    void statusPanel()
    {
        StatusPanel status;
        QLabel *panel1 = status.panel(1);
        auto *picture = status.findChild<QLabel *>(QStringLiteral("Panel1Picture"));
        QCOMPARE(panel1->objectName(), QStringLiteral("Panel1"));
        QCOMPARE(panel1->text(), QStringLiteral("IDLE"));
        QCOMPARE(panel1->toolTip(), QStringLiteral("Database Status"));
        {
            BusyScope outer(status);
            QCOMPARE(panel1->text(), QStringLiteral("BUSY"));
            QCOMPARE(picture->property("pictureIndex").toInt(), 1);
            {
                BusyScope inner(status);
                inner.show(DbStatus::Loading);
                QCOMPARE(panel1->text(), QStringLiteral("BUSY"));
                QCOMPARE(picture->property("pictureIndex").toInt(), 3);
            }
            // Only the outermost scope ends the busy state.
            QCOMPARE(panel1->text(), QStringLiteral("BUSY"));
        }
        QCOMPARE(panel1->text(), QStringLiteral("IDLE"));
        QCOMPARE(picture->property("pictureIndex").toInt(), 2);

        // An error on the way cannot leave BUSY behind.
        try {
            BusyScope busy(status);
            throw std::runtime_error("disk full");
        } catch (const std::runtime_error &) {
        }
        QCOMPARE(panel1->text(), QStringLiteral("IDLE"));
        QCOMPARE(status.dbStatus(), DbStatus::Idle);
    }

    void closingTheWindowEndsTheWait()
    {
        folio::test::ProgramFolder folder;
        folder.createDatabase();
        std::unique_ptr<MainWindow> window = folio::test::openWindow(folder);
        QVERIFY(window);
        QTimer::singleShot(30, window.get(), [&] { window->close(); });
        QCOMPARE(window->board().ask(QStringLiteral("Still there?")), BoardAnswer::NotAsked);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->database().isOpen());
        QVERIFY(QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
        // The board refuses anything after the window closed.
        QCOMPARE(window->board().inform(QStringLiteral("late")), BoardAnswer::NotAsked);
    }
};

QTEST_MAIN(TestMessageBoard)
#include "test_messageboard.moc"
