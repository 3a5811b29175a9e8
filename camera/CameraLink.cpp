#include "camera/CameraLink.h"

#include <atomic>
#include <map>
#include <mutex>

namespace {

std::atomic<std::uint32_t> g_nextInstanceId{1};

struct Registry {
    std::mutex mutex;
    std::map<std::uint32_t, CCameraLink*> links;
};

Registry& Links()
{
    static Registry registry;
    return registry;
}

std::uint32_t TakeInstanceId() { return g_nextInstanceId.fetch_add(1); }

}  // namespace

CCameraLink::CCameraLink(ISettings* settings)
    : OrvParamStorage(TakeInstanceId()),
      m_nInstanceId(OwnerId()),
      m_pSettings(settings ? settings : &ApplicationLinkSettings())
{
    {
        Registry& registry = Links();
        std::lock_guard lock(registry.mutex);
        registry.links[m_nInstanceId] = this;
    }
    m_nTimeout = Settings().GetInt(comm::kSection, comm::kTimeout, comm::kTimeoutDefault);
    m_nWriteReadByByte = Settings().GetInt(comm::kSection, comm::kWriteReadByByte, 0);
    SetCheckErrorDisabled(Settings().GetInt(comm::kSection, comm::kCheckErrorDisabled, 1) == 1);
}

CCameraLink::~CCameraLink()
{
    // The settings of this run, also when there are none (the file is then left empty).
    if (!m_strSettingsKey.empty())
        m_GuiSettings.Save(DataFolder() / GuiSettingsFileName(m_strSettingsKey, -1));
    ReleaseChannelLocked();
    Registry& registry = Links();
    std::lock_guard lock(registry.mutex);
    registry.links.erase(m_nInstanceId);
}

CCameraLink* CCameraLink::FindParamStorageById(std::uint32_t id)
{
    Registry& registry = Links();
    std::lock_guard lock(registry.mutex);
    auto it = registry.links.find(id);
    return it == registry.links.end() ? nullptr : it->second;
}

int CCameraLink::SetParamIntIfOnline(const char* name, std::int64_t value, bool notify, bool force)
{
    return force || m_bOnline ? SetParamInt(name, value, notify) : link_result::kOffline;
}

int CCameraLink::SetParamBoolIfOnline(const char* name, bool value, bool notify, bool force)
{
    return force || m_bOnline ? SetParamBool(name, value, notify) : link_result::kOffline;
}

int CCameraLink::SetParamFloatIfOnline(const char* name, double value, bool notify, bool force)
{
    return force || m_bOnline ? SetParamFloat(name, value, notify) : link_result::kOffline;
}
