#pragma once

#include "storage/atomicfile.h"

namespace folio {

// Puts a copy of the database file `source` in place of `target`: the bytes
// go to `temporary` (beside `target`) and are installed with installFile(),
// which accepts them only when `source` passes the checks of
// checkDatabaseFile() and the flushed copy holds exactly the bytes of
// `source`. The source is checked on a second thread while the bytes are
// copied, so the whole takes little more than the copy. `source` must not
// change meanwhile: the caller holds a read transaction on it, or nothing
// writes it. Throws StorageError naming `operation`; `target` is then as it
// was and no temporary file is left. `progress` ends with 100.
void installCheckedCopy(const QString &source, const QString &temporary, const QString &target,
                        const QString &operation, const ProgressFunction &progress = {});

} // namespace folio
