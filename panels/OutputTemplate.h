// The layout of the output panel (template 218, 225 x 301 dialog units): its controls in tab
// order with their ids, texts and rectangles. The four boxes stand where the collapse rules
// expect them: the output rows, the two strobes, then the pulse generator with its read-outs in
// a column at x 153, its picture on the left and the Process and Number of Pulses boxes below.
// The picture is not a template kind and is listed apart. No Qt here.
#pragma once

#include "panels/PanelTemplate.h"

namespace output {

inline constexpr int kTemplateId = 218;
inline constexpr int kTemplateWidth = 225;
inline constexpr int kTemplateHeight = 301;

using panel_template::Item;
using panel_template::Kind;

// clang-format off
inline constexpr Item kTemplate[] = {
    // Outputs: polarity and signal of each
    {1539, Kind::Group, "Output ", 5, 1, 213, 40},
    {1672, Kind::Static, "Out1", 12, 11, 24, 8},
    {1432, Kind::Combo, nullptr, 38, 9, 56, 12},
    {1434, Kind::Combo, nullptr, 98, 9, 114, 12},
    {1673, Kind::Static, "Out2", 12, 26, 24, 8},
    {1433, Kind::Combo, nullptr, 38, 24, 56, 12},
    {1435, Kind::Combo, nullptr, 98, 24, 114, 12},
    // Strobe 1
    {1540, Kind::Group, "Strobe 1 ", 5, 41, 213, 66},
    {1656, Kind::Static, "Mode", 12, 53, 36, 8},
    {1431, Kind::Combo, nullptr, 52, 51, 82, 12},
    {1658, Kind::Static, "Position", 12, 67, 36, 8},
    {1455, Kind::TrackBar, nullptr, 50, 65, 104, 12},
    {1458, Kind::Static, nullptr, 52, 77, 48, 8},
    {1459, Kind::StaticRight, nullptr, 104, 77, 48, 8},
    {1456, Kind::Edit, nullptr, 158, 65, 54, 12},
    {1457, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1659, Kind::Static, "Duration", 12, 88, 36, 8},
    {1460, Kind::TrackBar, nullptr, 50, 86, 104, 12},
    {1463, Kind::Static, nullptr, 52, 98, 48, 8},
    {1464, Kind::StaticRight, nullptr, 104, 98, 48, 8},
    {1461, Kind::Edit, nullptr, 158, 86, 54, 12},
    {1462, Kind::Spin, nullptr, 0, 0, 0, 0},
    // Strobe 2
    {1541, Kind::Group, "Strobe 2 ", 5, 107, 213, 68},
    {1657, Kind::Static, "Mode", 12, 119, 36, 8},
    {1444, Kind::Combo, nullptr, 52, 117, 82, 12},
    {1660, Kind::Static, "Position", 12, 133, 36, 8},
    {1445, Kind::TrackBar, nullptr, 50, 131, 104, 12},
    {1448, Kind::Static, nullptr, 52, 143, 48, 8},
    {1449, Kind::StaticRight, nullptr, 104, 143, 48, 8},
    {1446, Kind::Edit, nullptr, 158, 131, 54, 12},
    {1447, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1661, Kind::Static, "Duration", 12, 154, 36, 8},
    {1450, Kind::TrackBar, nullptr, 50, 152, 104, 12},
    {1453, Kind::Static, nullptr, 52, 164, 48, 8},
    {1454, Kind::StaticRight, nullptr, 104, 164, 48, 8},
    {1451, Kind::Edit, nullptr, 158, 152, 54, 12},
    {1452, Kind::Spin, nullptr, 0, 0, 0, 0},
    // Internal pulse generator
    {1542, Kind::Group, "Internal Pulse Generator ", 5, 177, 213, 120},
    {1665, Kind::StaticRight, "Granularity:", 100, 187, 50, 8},
    {1466, Kind::Combo, nullptr, 153, 185, 59, 12},
    {1666, Kind::StaticRight, "Period [µs]:", 100, 202, 50, 8},
    {1465, Kind::Numeric, nullptr, 153, 200, 59, 12},
    {1667, Kind::StaticRight, "Width [µs]:", 100, 217, 50, 8},
    {1251, Kind::Numeric, nullptr, 153, 215, 59, 12},
    {1668, Kind::StaticRight, "Delay [µs]:", 100, 232, 50, 8},
    {1467, Kind::Edit, nullptr, 153, 230, 59, 12},
    {1669, Kind::StaticRight, "Freq. [Hz]:", 100, 247, 50, 8},
    {1468, Kind::Edit, nullptr, 153, 245, 59, 12},
    {1663, Kind::Group, " Process ", 10, 262, 82, 31},
    {1534, Kind::Button, "Start", 15, 273, 48, 14},
    {1664, Kind::Static, "Status", 66, 271, 24, 8},
    {1037, Kind::Icon, nullptr, 70, 280, 11, 11},
    {1670, Kind::Group, " Number of Pulses  ", 96, 262, 116, 31},
    {1535, Kind::RadioFirst, "Continuous", 101, 271, 56, 10},
    {1021, Kind::Radio, "Send", 101, 281, 34, 10},
    {1671, Kind::Static, "Pulses", 160, 270, 40, 8},
    {1027, Kind::Edit, nullptr, 160, 279, 44, 12},
    {1011, Kind::Spin, nullptr, 0, 0, 0, 0},
};
// clang-format on

/// The picture of the pulse train, left of the read-outs.
using panel_template::Placeholder;
inline constexpr Placeholder kPulsePicture{1662, 10, 186, 86, 71};

}  // namespace output
