// foliok-bare: the least a Qt Widgets main window costs to start on this
// machine, as the yardstick of the start-up row. A QApplication and a
// QMainWindow with a menu bar, a tool bar and a status bar, nothing else.
//
// With FOLIOK_REPORT_READY=<file descriptor> in the environment it writes
// "ready" to that descriptor once the window has been shown and its first
// paint has gone out, as the program does, so the runner times both alike.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <csignal>
#include <unistd.h>

namespace {

// Watches the window for its first paint; the report is queued so that it
// goes out once that paint has been flushed.
class PaintWatch : public QObject
{
public:
    PaintWatch(int fd, QObject *parent)
        : QObject(parent)
        , m_fd(fd)
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_fd >= 0) {
            const int fd = m_fd;
            m_fd = -1;
            QTimer::singleShot(0, this, [fd] {
                [[maybe_unused]] const ssize_t written = ::write(fd, "ready\n", 6);
                ::close(fd);
            });
        }
        return false;
    }

private:
    int m_fd;
};

// The runner ends each start with SIGTERM and takes any exit code but 0 as
// a failure; nothing here is worth a tidy shutdown.
void endAtOnce(int)
{
    ::_exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGTERM, endAtOnce);
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Quit"), &app, &QApplication::quit);
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Quit"), &app, &QApplication::quit);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(600, 400);   // about the program's first size

    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("FOLIOK_REPORT_READY", &ok);
    if (ok && fd > 2)
        window.installEventFilter(new PaintWatch(fd, &window));
    window.show();
    return app.exec();
}
