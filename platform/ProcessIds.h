// Thread and process ids as the log records carry them. The program and the logging library
// take them from here, so per-thread data keyed by id agrees on both sides.
#pragma once

#include <cstdint>

namespace platform {

std::int32_t CurrentThreadId();
std::int32_t CurrentProcessId();

}  // namespace platform
