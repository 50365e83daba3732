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

struct ProgramPlaces;
// The same for the places of an installed program: the data folder is made
// when it lives apart from the program, and the manual is read from the
// place of the read-only files.
LaunchResult launchMainWindow(const ProgramPlaces &places);

} // namespace folio
