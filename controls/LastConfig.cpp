#include "controls/LastConfig.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace lastconfig {

LastConfigIntKey PanelViewKey(int slot)
{
    if (slot < 0 || slot >= kPanelSlotCount)
        return {"", kPanelViewDefault};
    return {kPanelKeys[slot], kPanelViewDefault};
}

std::string PanelPosKey(int slot)
{
    if (slot < 0 || slot >= kPanelSlotCount)
        return {};
    return std::string(kPanelKeys[slot]) + "Pos";
}

int Read(const LastConfigIntKey& key, const platform::ProfileSettings& settings)
{
    return settings.GetProfileInt(kLastConfigSection, key.name, key.defaultValue);
}

std::string Read(const LastConfigTextKey& key, const platform::ProfileSettings& settings)
{
    return settings.GetProfileString(kLastConfigSection, key.name, key.defaultValue);
}

bool Write(const LastConfigIntKey& key, int value, platform::ProfileSettings& settings)
{
    return settings.WriteProfileInt(kLastConfigSection, key.name, value);
}

bool Write(const LastConfigTextKey& key, const std::string& value, platform::ProfileSettings& settings)
{
    return settings.WriteProfileString(kLastConfigSection, key.name, value);
}

PanelPos ParsePanelPos(const std::string& text)
{
    // Three decimal numbers separated by blanks; out-of-range numbers count as missing.
    long values[3] = {1, 0, 0};
    const char* p = text.c_str();
    for (long& value : values) {
        char* end = nullptr;
        errno = 0;
        value = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE || value < INT_MIN || value > INT_MAX)
            return {};
        p = end;
    }
    if (values[0] != 0)
        return {};
    return {false, static_cast<int>(values[1]), static_cast<int>(values[2])};
}

std::string FormatPanelPos(const PanelPos& pos)
{
    char text[48];
    std::snprintf(text, sizeof text, "%d %d %d", pos.docked ? 1 : 0, pos.left, pos.top);
    return text;
}

}  // namespace lastconfig
