#include "app/launcher.h"

#include "app/mainwindow.h"
#include "session/programplaces.h"

namespace folio {

LaunchResult launchMainWindow(const QString &programDir)
{
    LaunchResult result;
    auto window = std::make_unique<MainWindow>(programDir);
    const MainWindow::LoadResult loaded = window->load();
    if (!loaded.ok) {
        result.exitCode = loaded.exitCode;
        result.message = loaded.message;
        return result;
    }
    result.window = std::move(window);
    return result;
}

LaunchResult launchMainWindow(const ProgramPlaces &places)
{
    const QString problem = prepareDataFolder(places);
    if (!problem.isEmpty()) {
        LaunchResult result;
        result.exitCode = MainWindow::ExitDatabaseProblem;
        result.message = problem;
        return result;
    }
    LaunchResult result = launchMainWindow(places.dataDir);
    if (result.window)
        result.window->setResourceDir(places.resourceDir);
    return result;
}

} // namespace folio
