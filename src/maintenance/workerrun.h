#pragma once

#include "storage/atomicfile.h"

#include <functional>

namespace folio {

// Runs `work` on a worker thread and waits for it without freezing the
// window: the user-interface thread keeps painting and running timers and
// queued calls, while mouse and keyboard input waits until the work has
// ended, so no command can reach the database in the meantime. The work
// reports progress through the function it is given; `onProgress` receives
// each new value on the user-interface thread. An exception the work
// throws is thrown again here.
void runOnWorkerThread(const std::function<void(const ProgressFunction &progress)> &work,
                       const ProgressFunction &onProgress = {});

} // namespace folio
