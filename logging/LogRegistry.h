// The process-wide state of the library: the logs by handle, the module links, the handle that
// 0 stands for and the counter of handles given out. All of it is used under ProcessMutex().
#pragma once

#include "logging/LogEngine.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orvlog {

inline constexpr OLHandle kNoHandle = 0xFFFFFFFFu;
/// The first handle OLGetOwnLogHandle gives out and the bound of handles a caller chooses.
inline constexpr OLHandle kFirstDynamicHandle = 0x80808080u;

/// The logs by handle. The log found last is remembered: every record looks its log up, and a
/// program writes to one or two logs.
class EngineTable {
public:
    using Map = std::unordered_map<OLHandle, std::unique_ptr<LogEngine>>;

    LogEngine* Find(OLHandle handle) const;
    bool Contains(OLHandle handle) const { return engines_.count(handle) != 0; }
    /// Stores the engine under the handle, in place of any engine there.
    void Insert(OLHandle handle, std::unique_ptr<LogEngine> engine);
    /// Takes the handle's engine out of the table; null when there is none.
    std::unique_ptr<LogEngine> Extract(OLHandle handle);
    /// Takes every engine out of the table.
    Map TakeAll();

private:
    void Forget() { last_ = nullptr; }

    Map engines_;
    mutable OLHandle lastHandle_ = 0;
    mutable LogEngine* last_ = nullptr;
};

struct OwnLogRegistry {
    EngineTable engines;
    /// Module handle (full width) to the log handles linked to it, in the order added.
    std::unordered_map<std::uintptr_t, std::vector<OLHandle>> links;
    OLHandle applicationLog = kNoHandle;
    OLHandle nextDynamic = 0;
};

OwnLogRegistry& GetOwnLogRegistry();
/// Handle 0 stands for the application log.
OLHandle ResolveHandle(OLHandle handle);
/// The engine of a handle (0 resolved), or null.
LogEngine* FindOwnLogEngine(OLHandle handle);

/// The library's unload: every log is closed (banners written, files closed) and deleted,
/// every link dropped.
void OnLibraryDetach();

}  // namespace orvlog
