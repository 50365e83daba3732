#pragma once

#include "generator/manifest.h"

#include <QString>
#include <algorithm>
#include <memory>
#include <optional>

namespace folio {
class MainWindow;
}

namespace folio::bench {

// What the benchmarks share: the generated base (read only), a work folder
// holding a fresh copy of it (the program folder every measurement runs
// in, so saves, compaction and restores never touch the base), and the real
// main window on that folder, loaded and shown on first use.
class BenchSession
{
public:
    BenchSession(QString baseDir, QString workDir, Manifest manifest);
    ~BenchSession();

    const Manifest &manifest() const { return m_manifest; }
    QString baseDir() const { return m_baseDir; }
    QString workDir() const { return m_workDir; }
    QString liveDatabasePath() const;
    // The shipped executable the start-up rows start.
    QString program() const { return m_program; }
    void setProgram(QString program) { m_program = std::move(program); }
    // The bare Qt main window (foliok-bare) the start-up is compared with.
    QString bareProgram() const { return m_bareProgram; }
    void setBareProgram(QString program) { m_bareProgram = std::move(program); }
    // Runs a row makes in a round: `usual`, or fewer when a cap is set (for
    // the tests of the rows, which check what is measured, not how fast).
    int runsPerRound(int usual) const { return m_runCap > 0 ? std::min(usual, m_runCap) : usual; }
    void setRunCap(int cap) { m_runCap = cap; }
    // Rounds of the run, so that a row can share out what it may use once.
    int rounds() const { return m_rounds; }
    void setRounds(int rounds) { m_rounds = rounds; }
    // The next open sample of a size (Manifest::openSamples) not taken
    // before in this run; none when all are used.
    std::optional<qint64> takeOpenSample(int size);

    // Empties the work folder and copies the base into it.
    void prepareWorkFolder();
    // The main window on the work folder, as a user sees it after start-up
    // (the start-up tip stopped). Throws std::runtime_error when it cannot load.
    MainWindow &window();
    // Closes the window (its unload runs), for measurements that need the
    // program folder to themselves.
    void closeWindow();

private:
    QString m_baseDir;
    QString m_workDir;
    Manifest m_manifest;
    QString m_program;
    QString m_bareProgram;
    int m_rounds = 1;
    int m_runCap = 0;
    int m_openSamplesTaken[3] = {0, 0, 0};
    std::unique_ptr<MainWindow> m_window;
};

// Lets the window reach the state a user would see: shown, exposed and painted.
void showAndPaint(MainWindow &window);

} // namespace folio::bench
