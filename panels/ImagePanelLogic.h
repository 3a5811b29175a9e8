// Rules of the image panel that need no window: the binning radio coding, how many tap choices
// the camera allows, which cameras lose their 12-bit depth choice, the combo box's prefix
// search and the Ping timings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace image_panel {

/// The register value of the binning radios 1x, 2x and 4x.
inline constexpr int kBinningValues[3] = {0, 1, 3};

/// The radio (0 for 1x, 1 for 2x, 2 for 4x) that shows a binning value; -1 for any other value.
int BinningRadioIndex(int value);

/// How many tap choices the camera allows: the number of significant bits of its allowed tap
/// count (1 tap → 1 item, 2 → 2, 4 → 3, 8 → 4, 16 → 5), at least 1 (also for 0 or less).
int TapChoicesAllowed(int allowedTaps);

/// True for the 47M sensors (IsLargeSensor47M) running 16 taps: the camera then
/// cannot send 12-bit pixels and the panel drops that bit-depth choice.
bool DropsTwelveBitDepth(int configIndex, int allowedTaps);

/// The first item whose text begins with prefix, ignoring case, searching from the item after
/// `start` to the end and then from the top up to `start` (start -1 searches from the top).
/// -1 when none matches.
int FindItemWithPrefix(const std::vector<std::string>& items, std::string_view prefix, int start = -1);

/// Ping: timer 1000 runs the read after a short delay, timer 1001 clears the result.
inline constexpr unsigned kPingReadTimer = 1000;
inline constexpr unsigned kPingClearTimer = 1001;
inline constexpr int kPingReadDelayMs = 300;
inline constexpr int kPingOkShownMs = 3000;
inline constexpr int kPingErrorShownMs = 5000;

}  // namespace image_panel
