// Folio Keeper: start-up. Shows the splash, loads the main window for the
// executable's folder, shows it, and runs until it is closed.
#include "app/launcher.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "shell/terminationsignals.h"
#include "shell/version.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

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
    folio::TerminationSignals *signals = folio::TerminationSignals::install();

    auto splash = std::make_unique<folio::Splash>(folio::appVersion());
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    folio::LaunchResult launched = folio::launchMainWindow(QCoreApplication::applicationDirPath());
    if (!launched.window) {
        splash.reset();
        return refuseToStart(launched, signals);
    }
    folio::MainWindow &window = *launched.window;
    if (signals)
        QObject::connect(signals, &folio::TerminationSignals::terminationRequested, &window, [&window] {
            window.endOnSignal();
            QCoreApplication::exit(0);
        });
    window.show();
    splash.reset();
    return app.exec();
}
