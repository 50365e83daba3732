#pragma once

#include "transfer/importmodel.h"

#include <QString>

namespace folio {

// Reads a folder of files as it lies on disk: every sub-folder becomes a
// folder of the same name, every .html/.htm, .md/.markdown and .txt file a
// document. Web pages are kept whole (bodyIsPage) with their pictures from
// inside the folder embedded; Markdown and text become body fragments.
// Other files, hidden files and the index pages of our own export are left
// out; damaged or unreadable files are reported to `log`.
// Throws ImportFailure when `folder` is not a readable folder.
ImportedFolder readFileTree(const QString &folder, ImportLog &log);

} // namespace folio
