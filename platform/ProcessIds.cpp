#include "ProcessIds.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

std::int32_t CurrentThreadId()
{
    thread_local const auto id = static_cast<std::int32_t>(::syscall(SYS_gettid));
    return id;
}

std::int32_t CurrentProcessId() { return static_cast<std::int32_t>(::getpid()); }

}  // namespace platform
