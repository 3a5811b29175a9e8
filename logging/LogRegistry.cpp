#include "logging/LogRegistry.h"

#include "logging/LogMutex.h"

namespace orvlog {
namespace {

// Leaked on purpose: exports may still be called while the program's statics are destroyed.
std::recursive_mutex* g_processMutex = new std::recursive_mutex;

// Stands in for the unload notice of the library: runs when the library is unloaded or the
// program ends.
struct DetachOnUnload {
    ~DetachOnUnload() { OnLibraryDetach(); }
} g_detachOnUnload;

}  // namespace

std::recursive_mutex& ProcessMutex() { return *g_processMutex; }

void ResetProcessMutexInChild() { g_processMutex = new std::recursive_mutex; }

OwnLogRegistry& GetOwnLogRegistry()
{
    static auto* registry = new OwnLogRegistry;
    return *registry;
}

OLHandle ResolveHandle(OLHandle handle)
{
    return handle == 0 ? GetOwnLogRegistry().applicationLog : handle;
}

LogEngine* FindOwnLogEngine(OLHandle handle)
{
    auto& engines = GetOwnLogRegistry().engines;
    auto it = engines.find(ResolveHandle(handle));
    return it == engines.end() ? nullptr : it->second.get();
}

void OnLibraryDetach()
{
    // The background flush takes the process mutex itself; it is stopped first.
    StopBackgroundFlush();
    std::lock_guard lock(ProcessMutex());
    OwnLogRegistry& registry = GetOwnLogRegistry();
    auto engines = std::move(registry.engines);
    registry.engines.clear();
    for (auto& [handle, engine] : engines)
        engine->Close();
    engines.clear();
    registry.links.clear();
}

}  // namespace orvlog
