#pragma once

#include "transfer/importmodel.h"

#include <QString>

namespace folio {

// Reads a Zim desktop-wiki notebook: the folder holding "notebook.zim" and
// the pages as UTF-8 ".txt" files in the Zim wiki markup. A page "Foo.txt"
// keeps its sub-pages (and its attachments) in the folder "Foo" beside it;
// such a page becomes a folder "Foo" holding the page itself and the
// sub-pages. The returned folder carries the notebook's name.
// Throws ImportFailure when the folder is not a Zim notebook.
ImportedFolder readZimNotebook(const QString &notebookFolder, ImportLog &log);

} // namespace folio
