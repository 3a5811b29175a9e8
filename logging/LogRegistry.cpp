#include "logging/LogRegistry.h"

#include "logging/LogMutex.h"

#include <pthread.h>
#include <utility>

namespace orvlog {
namespace {

// Leaked on purpose: exports may still be called while the program's statics are destroyed.
std::recursive_mutex* g_processMutex = new std::recursive_mutex;

// A fork waits until no thread is inside the library, so the child never inherits a channel in
// the middle of a write; the child gets a fresh mutex, since only the forking thread lives on.
void BeforeFork() { g_processMutex->lock(); }
void AfterForkParent() { g_processMutex->unlock(); }
void AfterForkChild() { g_processMutex = new std::recursive_mutex; }
[[maybe_unused]] const int g_forkHandlers = ::pthread_atfork(&BeforeFork, &AfterForkParent, &AfterForkChild);

// Stands in for the unload notice of the library: runs when the library is unloaded or the
// program ends.
struct DetachOnUnload {
    ~DetachOnUnload() { OnLibraryDetach(); }
} g_detachOnUnload;

}  // namespace

std::recursive_mutex& ProcessMutex() { return *g_processMutex; }


OwnLogRegistry& GetOwnLogRegistry()
{
    static auto* registry = new OwnLogRegistry;
    return *registry;
}

OLHandle ResolveHandle(OLHandle handle)
{
    return handle == 0 ? GetOwnLogRegistry().applicationLog : handle;
}

LogEngine* EngineTable::Find(OLHandle handle) const
{
    if (last_ && lastHandle_ == handle)
        return last_;
    auto it = engines_.find(handle);
    if (it == engines_.end() || !it->second)
        return nullptr;
    lastHandle_ = handle;
    last_ = it->second.get();
    return last_;
}

void EngineTable::Insert(OLHandle handle, std::unique_ptr<LogEngine> engine)
{
    Forget();
    engines_[handle] = std::move(engine);
}

std::unique_ptr<LogEngine> EngineTable::Extract(OLHandle handle)
{
    Forget();
    auto node = engines_.extract(handle);
    return node ? std::move(node.mapped()) : nullptr;
}

EngineTable::Map EngineTable::TakeAll()
{
    Forget();
    return std::exchange(engines_, {});
}

LogEngine* FindOwnLogEngine(OLHandle handle) { return GetOwnLogRegistry().engines.Find(ResolveHandle(handle)); }

void OnLibraryDetach()
{
    std::lock_guard lock(ProcessMutex());
    OwnLogRegistry& registry = GetOwnLogRegistry();
    auto engines = registry.engines.TakeAll();
    for (auto& [handle, engine] : engines)
        engine->Close();
    engines.clear();
    registry.links.clear();
}

}  // namespace orvlog
