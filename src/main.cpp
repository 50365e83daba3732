// Folio Keeper: start-up. Shows the splash, loads the main window for the
// executable's folder, shows it, and runs until it is closed.
#include "app/appicon.h"
#include "app/launcher.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "session/programplaces.h"
#include "session/terminationsignals.h"
#include "session/version.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

// With FOLIOK_REPORT_READY=<file descriptor> in the environment, "ready" is
// written to that descriptor once the main window has been shown and its
// first paint has gone out, so that a benchmark outside the process can time
// a start-up as the user sees it. Without the variable nothing happens.
class ReadyReporter : public QObject
{
public:
    static void watch(QWidget &window)
    {
        bool ok = false;
        const int fd = qEnvironmentVariableIntValue("FOLIOK_REPORT_READY", &ok);
        if (ok && fd > 2)
            window.installEventFilter(new ReadyReporter(fd, &window));
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_fd >= 0) {
            const int fd = std::exchange(m_fd, -1);
            // Queued: it runs once the paint that starts here has been flushed.
            QTimer::singleShot(0, this, [fd] {
                [[maybe_unused]] const ssize_t written = ::write(fd, "ready\n", 6);
                ::close(fd);
            });
        }
        return false;
    }

private:
    ReadyReporter(int fd, QObject *parent)
        : QObject(parent)
        , m_fd(fd)
    {
    }

    int m_fd;
};

// The message that ends a start that cannot go on. SIGTERM or SIGINT also
// dismiss it, so a start that nobody watches still ends.
int refuseToStart(const folio::LaunchResult &result, folio::TerminationSignals *signals)
{
    std::fprintf(stderr, "%s\n", qPrintable(result.message));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Folio Keeper"), result.message, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("startupMessage"));
    if (signals)
        QObject::connect(signals, &folio::TerminationSignals::terminationRequested, &box, &QMessageBox::reject);
    box.exec();
    return result.exitCode;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Folio Keeper"));
    QApplication::setApplicationVersion(folio::appVersion());
    folio::setUpDesktopIdentity();
    folio::TerminationSignals *signals = folio::TerminationSignals::install();

    auto splash = std::make_unique<folio::Splash>(folio::appVersion());
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    folio::LaunchResult launched =
        folio::launchMainWindow(folio::locateProgramPlaces(QCoreApplication::applicationDirPath()));
    if (!launched.window) {
        splash.reset();
        return refuseToStart(launched, signals);
    }
    folio::MainWindow &window = *launched.window;
    if (signals)
        QObject::connect(signals, &folio::TerminationSignals::terminationRequested, &window, [&window] {
            if (window.endOnSignal())
                QCoreApplication::exit(window.endedWithoutUnsavedWords() ? folio::MainWindow::ExitUnsavedLost : 0);
        });
    ReadyReporter::watch(window);
    window.show();
    splash.reset();
    return app.exec();
}
