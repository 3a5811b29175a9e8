// The layout of the acquisition panel (template 220, 291 x 388 dialog units): its controls in
// tab order with their ids, texts and rectangles. The three boxes, the WDR, TDI and
// long-integration rows and the dividers stand where the collapse rules expect them; the
// dividers and the WDR picture are not template kinds and are listed apart. No Qt here.
#pragma once

#include "panels/PanelTemplate.h"

namespace acq {

inline constexpr int kTemplateId = 220;
inline constexpr int kTemplateWidth = 291;
inline constexpr int kTemplateHeight = 388;

using panel_template::Item;
using panel_template::Kind;

// clang-format off
inline constexpr Item kTemplate[] = {
    // Trigger options
    {1536, Kind::Group, " Trigger Options ", 5, 1, 280, 136},
    {1021, Kind::RadioFirst, "Free running", 12, 12, 62, 10},
    {1022, Kind::Radio, "Triggered", 12, 25, 62, 10},
    {1473, Kind::Button, "Software\ntrigger", 12, 42, 56, 22},
    {0, Kind::Static, "De-bounce [µs]:", 76, 12, 64, 8},
    {1474, Kind::TrackBar, nullptr, 140, 10, 86, 12},
    {1475, Kind::Static, nullptr, 142, 22, 40, 8},
    {1476, Kind::StaticRight, nullptr, 184, 22, 40, 8},
    {1477, Kind::Edit, nullptr, 228, 10, 50, 12},
    {1478, Kind::Spin, nullptr, 0, 0, 0, 0},
    {0, Kind::Static, "Glitch filter [µs]:", 76, 32, 64, 8},
    {1479, Kind::TrackBar, nullptr, 140, 30, 86, 12},
    {1482, Kind::Static, nullptr, 142, 42, 40, 8},
    {1483, Kind::StaticRight, nullptr, 184, 42, 40, 8},
    {1480, Kind::Edit, nullptr, 228, 30, 50, 12},
    {1481, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1653, Kind::Static, "Exp. Delay [µs]:", 76, 52, 64, 8},
    {1505, Kind::TrackBar, nullptr, 140, 50, 86, 12},
    {1508, Kind::Static, nullptr, 142, 62, 40, 8},
    {1509, Kind::StaticRight, nullptr, 184, 62, 40, 8},
    {1506, Kind::Edit, nullptr, 228, 50, 50, 12},
    {1507, Kind::Spin, nullptr, 0, 0, 0, 0},
    {0, Kind::Static, "Frames/Trigger:", 76, 72, 64, 8},
    {1484, Kind::TrackBar, nullptr, 140, 70, 86, 12},
    {1487, Kind::Static, nullptr, 142, 82, 40, 8},
    {1488, Kind::StaticRight, nullptr, 184, 82, 40, 8},
    {1485, Kind::Edit, nullptr, 228, 70, 50, 12},
    {1486, Kind::Spin, nullptr, 0, 0, 0, 0},
    {0, Kind::Static, "Trigger in:", 12, 100, 40, 8},
    {1469, Kind::Combo, nullptr, 54, 98, 86, 12},
    {0, Kind::Static, "Mode:", 150, 100, 34, 8},
    {1470, Kind::Combo, nullptr, 186, 98, 92, 12},
    {0, Kind::Static, "Edge:", 12, 117, 40, 8},
    {1471, Kind::Combo, nullptr, 54, 115, 86, 12},
    {0, Kind::Static, "Overlap:", 150, 117, 34, 8},
    {1472, Kind::Combo, nullptr, 186, 115, 92, 12},
    // Trigger strobe options
    {1537, Kind::Group, " Trigger Strobe Options ", 5, 139, 280, 55},
    {0, Kind::Static, "Strobe Enable:", 10, 152, 60, 8},
    {1543, Kind::Combo, nullptr, 10, 162, 58, 12},
    {1649, Kind::Static, "Duration [µs]:", 76, 154, 64, 8},
    {1489, Kind::TrackBar, nullptr, 140, 152, 86, 12},
    {1492, Kind::Static, nullptr, 142, 164, 40, 8},
    {1493, Kind::StaticRight, nullptr, 184, 164, 40, 8},
    {1490, Kind::Edit, nullptr, 228, 152, 50, 12},
    {1491, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1650, Kind::Static, "Delay [µs]:", 76, 174, 64, 8},
    {1494, Kind::TrackBar, nullptr, 140, 172, 86, 12},
    {1497, Kind::Static, nullptr, 142, 184, 40, 8},
    {1498, Kind::StaticRight, nullptr, 184, 184, 40, 8},
    {1495, Kind::Edit, nullptr, 228, 172, 50, 12},
    {1496, Kind::Spin, nullptr, 0, 0, 0, 0},
    // Exposure options
    {1538, Kind::Group, " Exposure Options ", 5, 196, 280, 188},
    {1651, Kind::Static, "Exposure Mode:", 9, 207, 60, 8},
    {1510, Kind::Combo, nullptr, 9, 216, 60, 12},
    {1652, Kind::Static, "Exp. Time [µs]:", 76, 211, 64, 8},
    {1500, Kind::TrackBar, nullptr, 140, 209, 86, 12},
    {1503, Kind::Static, nullptr, 142, 221, 40, 8},
    {1504, Kind::StaticRight, nullptr, 184, 221, 40, 8},
    {1501, Kind::Edit, nullptr, 228, 209, 50, 12},
    {1502, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1685, Kind::Static, "WDR Mode:", 11, 232, 42, 8},
    {1517, Kind::Combo, nullptr, 11, 242, 58, 12},
    {1687, Kind::Static, "Knee 1", 81, 233, 60, 8},
    {1686, Kind::Static, "P1", 81, 246, 12, 8},
    {1682, Kind::Numeric, nullptr, 94, 244, 46, 12},
    {1689, Kind::Static, "%", 142, 246, 10, 8},
    {1688, Kind::Static, "W1", 81, 261, 12, 8},
    {1518, Kind::Combo, nullptr, 94, 259, 46, 12},
    {1679, Kind::Static, "Knee 2", 81, 275, 60, 8},
    {1680, Kind::Static, "P2", 81, 288, 12, 8},
    {1324, Kind::Numeric, nullptr, 94, 286, 46, 12},
    {1683, Kind::Static, "%", 142, 288, 10, 8},
    {1681, Kind::Static, "W2", 81, 303, 12, 8},
    {1520, Kind::Combo, nullptr, 94, 301, 46, 12},
    {1690, Kind::Static, "TDI Scan Mode:", 12, 317, 58, 8},
    {1519, Kind::Combo, nullptr, 8, 327, 64, 12},
    {1656, Kind::Static, "TDI Stages:", 76, 319, 64, 8},
    {1521, Kind::TrackBar, nullptr, 140, 317, 86, 12},
    {1524, Kind::Static, nullptr, 142, 329, 40, 8},
    {1525, Kind::StaticRight, nullptr, 184, 329, 40, 8},
    {1522, Kind::Edit, nullptr, 228, 317, 50, 12},
    {1523, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1657, Kind::Static, "TDI Delay [µs]:", 76, 339, 64, 8},
    {1527, Kind::TrackBar, nullptr, 140, 337, 86, 12},
    {1530, Kind::Static, nullptr, 142, 349, 40, 8},
    {1531, Kind::StaticRight, nullptr, 184, 349, 40, 8},
    {1528, Kind::Edit, nullptr, 228, 337, 50, 12},
    {1529, Kind::Spin, nullptr, 0, 0, 0, 0},
    {1516, Kind::Check, "Long\nIntegration", 11, 359, 58, 17},
    {1654, Kind::Static, "Frame Time [µs]:", 76, 361, 64, 8},
    {1511, Kind::TrackBar, nullptr, 140, 359, 86, 12},
    {1514, Kind::Static, nullptr, 142, 371, 40, 8},
    {1515, Kind::StaticRight, nullptr, 184, 371, 40, 8},
    {1512, Kind::Edit, nullptr, 228, 359, 50, 12},
    {1513, Kind::Spin, nullptr, 0, 0, 0, 0},
};
// clang-format on

using panel_template::Placeholder;

/// The vertical dividers of the strobe and exposure boxes.
inline constexpr Placeholder kDividers[] = {{1648, 73, 151, 1, 39}, {1655, 73, 209, 1, 169}};
/// The picture of the WDR response.
inline constexpr Placeholder kWdrPicture{1684, 158, 233, 121, 75};

}  // namespace acq
