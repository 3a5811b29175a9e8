#include "panels/ImagePanelLogic.h"

#include "catalogues/ConfigurationTable.h"

#include <cctype>
#include <cstdint>

namespace image_panel {

int BinningRadioIndex(int value)
{
    for (int i = 0; i < 3; ++i)
        if (kBinningValues[i] == value)
            return i;
    return -1;
}

int TapChoicesAllowed(int allowedTaps)
{
    if (allowedTaps <= 0)
        return 1;
    int bits = 0;
    for (auto v = static_cast<std::uint32_t>(allowedTaps); v != 0; v >>= 1)
        ++bits;
    return bits;
}

bool DropsTwelveBitDepth(int configIndex, int allowedTaps)
{
    return allowedTaps == 16 && IsLargeSensor47M(configIndex);
}

namespace {

bool StartsWithNoCase(const std::string& text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

int FindItemWithPrefix(const std::vector<std::string>& items, std::string_view prefix, int start)
{
    const int count = static_cast<int>(items.size());
    if (count == 0)
        return -1;
    if (start < -1 || start >= count)
        start = -1;
    for (int step = 1; step <= count; ++step) {
        const int i = (start + step) % count;
        if (StartsWithNoCase(items[static_cast<std::size_t>(i)], prefix))
            return i;
    }
    return -1;
}

}  // namespace image_panel
