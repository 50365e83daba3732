#pragma once

#include <QString>
#include <memory>

namespace folio {

class MainWindow;

struct LaunchResult
{
    std::unique_ptr<MainWindow> window;  // loaded, not yet shown; null on failure
    int exitCode = 0;
    QString message;                     // why the program cannot start
};

// Creates and loads the main window for a program folder: the one way to
// start Folio Keeper, used by main() and by tests and benchmarks that drive
// the real window in-process.
LaunchResult launchMainWindow(const QString &programDir);

} // namespace folio
