#pragma once

#include <QString>

namespace folio {

// Two digits each for major, minor and revision joined by "." (2.0.3 gives
// 02.00.03); a part of 100 or more keeps its last two digits.
QString makeAppVersion(int major, int minor, int revision);
// The running program's version in that form.
QString appVersion();

} // namespace folio
