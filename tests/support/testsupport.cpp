#include "support/testsupport.h"

#include "storage/recoveryfile.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace folio::test {

namespace {

// A check that fails before it gives the board its answer, or a message or
// dialog no test expected, would leave a wait open until CTest gives up
// minutes later. Every test process watches for that: a board that has
// waited at rest for WaitLimitMs (each new message slides it, so a busy
// conversation is not stuck), or one modal dialog or pop-up menu open that
// long, fails the running test and is ended unanswered.
constexpr int WaitLimitMs = 15000;

class WaitWatch : public QObject
{
public:
    explicit WaitWatch(QObject *parent)
        : QObject(parent)
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, &WaitWatch::look);
        m_timer.start(250);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move)
            watched->setProperty("testLastMoveMs", m_clock.elapsed());
        return false;
    }

private:
    void look()
    {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return;  // no windows in this test
        const qint64 now = m_clock.elapsed();
        QStringList stuck;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            for (MessageBoard *board : top->findChildren<MessageBoard *>()) {
                if (!board->property("testLastMoveMs").isValid()) {
                    board->installEventFilter(this);
                    board->setProperty("testLastMoveMs", now);
                }
                if (board->isWaiting() && now - board->property("testLastMoveMs").toLongLong() > WaitLimitMs) {
                    auto *label = board->findChild<QLabel *>(QStringLiteral("lblmessageBoard"));
                    stuck << QStringLiteral("the board saying \"%1\"").arg(label ? label->text() : QString());
                    board->setProperty("testLastMoveMs", now);
                    board->endWait(BoardAnswer::NotAsked);
                }
            }
        }
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            modal = QApplication::activePopupWidget();
        if (modal != m_modal) {
            m_modal = modal;
            m_modalSince = now;
        } else if (modal && now - m_modalSince > WaitLimitMs) {
            stuck << QStringLiteral("the window %1").arg(modal->objectName());
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
        if (!stuck.isEmpty())
            QTest::qFail(qPrintable(QStringLiteral("nobody answered within %1 s: %2")
                                        .arg(WaitLimitMs / 1000)
                                        .arg(stuck.join(QStringLiteral(", ")))),
                         __FILE__, __LINE__);
    }

    QElapsedTimer m_clock;
    QTimer m_timer;
    QPointer<QWidget> m_modal;
    qint64 m_modalSince = 0;
};

void watchForAbandonedWaits()
{
    new WaitWatch(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForAbandonedWaits)

ProgramFolder::ProgramFolder() = default;

QString ProgramFolder::file(const QString &name) const
{
    return m_dir.filePath(name);
}

void ProgramFolder::createDatabase() const
{
    QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), file(QStringLiteral("blank97.MDB")));
    QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), file(QStringLiteral("KB97.MDB")));
    QFile::setPermissions(file(QStringLiteral("KB97.MDB")), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(file(QStringLiteral("blank97.MDB")), QFile::ReadOwner | QFile::WriteOwner);
}

void ProgramFolder::exec(const QString &sql) const
{
    execAll({sql});
}

void ProgramFolder::execAll(const QStringList &statements) const
{
    const QString name = QStringLiteral("test-tool-%1").arg(quintptr(this));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file(QStringLiteral("KB97.MDB")));
        if (!db.open())
            qFatal("cannot open the test database");
        db.transaction();
        for (const QString &sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql))
                qFatal("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QVariant ProgramFolder::value(const QString &sql) const
{
    QVariant value;
    const QString name = QStringLiteral("test-reader-%1").arg(quintptr(this));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file(QStringLiteral("KB97.MDB")));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                value = q.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

std::unique_ptr<MainWindow> openWindow(const ProgramFolder &folder, bool show, Prompts prompts)
{
    auto window = std::make_unique<MainWindow>(folder.path(), std::move(prompts));
    window->board().setSlideDelay(0);
    const MainWindow::LoadResult loaded = window->load();
    if (!loaded.ok) {
        qWarning("load failed: %s", qPrintable(loaded.message));
        return nullptr;
    }
    if (QTimer *tip = window->findChild<QTimer *>(QStringLiteral("Timer1")))
        tip->stop();
    if (show) {
        window->show();
        // A notice queued by the load, or the offer of a kept edit, would
        // wait for an answer while we wait for the window: leave that to
        // the test's robot.
        const bool question = window->context().notices.pendingCount() > 0 || RecoveryFile(folder.path()).exists();
        if (!question && !QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
    }
    return window;
}

BoardRobot::BoardRobot(MessageBoard &board, QString answer)
    : m_board(board)
    , m_answer(std::move(answer))
{
    connect(&m_timer, &QTimer::timeout, this, &BoardRobot::poll);
    m_timer.start(5);
}

BoardRobot::BoardRobot(MainWindow &window, QString answer)
    : BoardRobot(window.board(), std::move(answer))
{
}

void BoardRobot::poll()
{
    MessageBoard &board = m_board;
    if (!board.isWaiting())
        return;
    auto *label = board.findChild<QLabel *>(QStringLiteral("lblmessageBoard"));
    m_messages.append(label ? label->text() : QString());
    m_colors.append(label ? label->palette().color(QPalette::WindowText) : QColor());
    if (beforeAnswer)
        beforeAnswer();
    QString answer = m_turns.isEmpty() ? m_answer : m_turns.takeFirst();
    auto *button = board.findChild<QLabel *>(answer);
    if (!button || !button->isVisible())
        answer = QStringLiteral("picOK");
    clickNamed(&board, answer);
}

bool BoardRobot::waitForMessages(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_messages.size() >= count; }, timeoutMs);
}

void clickNamed(QWidget *root, const QString &name)
{
    QWidget *target = root->objectName() == name ? root : root->findChild<QWidget *>(name);
    if (!target)
        qFatal("no widget named %s", qPrintable(name));
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
}

} // namespace folio::test
