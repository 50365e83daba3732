#pragma once

#include <QString>

namespace folio::bench {

class BenchSession;
class ResultTable;

// What one start of the shipped program gave.
struct ProgramStart
{
    double readyMs = -1;        // exec to the shown and painted main window
    qint64 peakKilobytes = -1;  // VmHWM of the process, read PeakAfterMs after exec
    QString error;              // empty when the start went through
};

// Starts the shipped executable `executable` (which opens the program folder
// it sits in) the way a user starts it: a new process, the environment as
// given (an X server in DISPLAY, or QT_QPA_PLATFORM=offscreen), the splash
// and the start-up tip as they come. It is told through FOLIOK_REPORT_READY
// to say when its main window is shown and painted; it is ended with SIGTERM
// once its memory has been read.
ProgramStart startProgram(const QString &executable, int peakAfterMs);

// The window system the program is shown on, as printed in the table.
QString platformDescription();

// Start-up of the shipped executable, copied into the work folder (the
// program folder, as installed), and its peak resident memory.
void measureStartup(BenchSession &session, ResultTable &table);

} // namespace folio::bench
