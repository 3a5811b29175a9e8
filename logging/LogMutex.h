// The one process-wide mutex of the logging library. Every export holds it, so the registries,
// engines, channels and per-thread tables are never used by two threads at once; the file
// channel takes the cross-process write lock only while holding it.
#pragma once

#include <mutex>

namespace orvlog {

std::recursive_mutex& ProcessMutex();

}  // namespace orvlog
