#include "app/launcher.h"

#include "app/mainwindow.h"

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

} // namespace folio
