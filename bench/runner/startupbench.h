#pragma once

#include <QString>

namespace folio::bench {

class BenchSession;
class ResultTable;

// The option that makes the runner a start-up child.
inline const QString StartupChildOption = QStringLiteral("startup-child");

// Start-up in a fresh process each time, the runner started again as a
// child: the time from launchMainWindow to the shown, filled and painted
// window, the time from process start to that point, and the peak resident
// memory of the child.
void measureStartup(BenchSession &session, ResultTable &table);

// The child's side: starts the program on `programDir`, reports on standard
// output and returns the exit code.
int runStartupChild(const QString &programDir);

} // namespace folio::bench
