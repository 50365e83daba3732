#include "runner/benchsession.h"

#include "app/launcher.h"
#include "app/mainwindow.h"
#include "storage/atomicfile.h"
#include "storage/database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

namespace folio::bench {

BenchSession::BenchSession(QString baseDir, QString workDir, Manifest manifest)
    : m_baseDir(std::move(baseDir))
    , m_workDir(std::move(workDir))
    , m_manifest(std::move(manifest))
{
}

BenchSession::~BenchSession()
{
    closeWindow();
}

QString BenchSession::liveDatabasePath() const
{
    return QDir(m_workDir).filePath(LiveDatabaseName);
}

std::optional<qint64> BenchSession::takeOpenSample(int size)
{
    const QList<qint64> &samples = m_manifest.openSamples.at(size);
    if (m_openSamplesTaken[size] >= samples.size())
        return std::nullopt;
    return samples.at(m_openSamplesTaken[size]++);
}

void BenchSession::prepareWorkFolder()
{
    closeWindow();
    QDir work(m_workDir);
    if (work.exists() && !work.removeRecursively())
        throw std::runtime_error("cannot empty the work folder " + m_workDir.toStdString());
    if (!work.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create the work folder " + m_workDir.toStdString());
    for (const QString &name : {LiveDatabaseName, TemplateDatabaseName}) {
        if (!QFile::copy(QDir(m_baseDir).filePath(name), work.filePath(name)))
            throw std::runtime_error("cannot copy " + name.toStdString() + " into the work folder");
        QFile::setPermissions(work.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
        // Written out now, so that the disk is not still busy with the copy
        // while the first rows are measured.
        syncFile(work.filePath(name));
    }
}

MainWindow &BenchSession::window()
{
    if (m_window)
        return *m_window;
    LaunchResult launched = launchMainWindow(m_workDir);
    if (!launched.window)
        throw std::runtime_error("the main window did not load: " + launched.message.toStdString());
    m_window = std::move(launched.window);
    if (auto *tip = m_window->findChild<QTimer *>(QStringLiteral("Timer1")))
        tip->stop();
    showAndPaint(*m_window);
    return *m_window;
}

void BenchSession::closeWindow()
{
    if (!m_window)
        return;
    m_window->close();
    m_window.reset();
    QCoreApplication::processEvents();
}

void showAndPaint(MainWindow &window)
{
    window.show();
    const QDeadlineTimer deadline(5000);
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    window.repaint();
}

} // namespace folio::bench
