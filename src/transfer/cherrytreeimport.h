#pragma once

#include "transfer/importmodel.h"

#include <QString>

namespace folio {

// Reads a CherryTree document, in its SQLite form or its XML form (told
// apart by the content, not the name), into a folder named after the file.
// Throws ImportFailure when the file is neither or lacks the note tree.
ImportedFolder readCherryTree(const QString &file, ImportLog &log);

} // namespace folio
