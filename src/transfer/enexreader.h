#pragma once

#include "transfer/importmodel.h"

#include <QString>

namespace folio {

// Reads an Evernote export (.enex): every note becomes one document in a
// folder named after the file. Damaged notes or parts of notes are reported
// through the log; a file that is no such export throws ImportFailure.
ImportedFolder readEvernoteExport(const QString &file, ImportLog &log);

} // namespace folio
