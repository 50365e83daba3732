#include "support/testsupport.h"

#include "storage/recoveryfile.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QFile>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace folio::test {

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
    QString answer = m_answer;
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
