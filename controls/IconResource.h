// The program's icons, by resource id. Each icon is an SVG drawing, resources/icons/<id>.svg,
// compiled into the program; it is drawn sharp at whatever size a window asks for (16 x 16 for a
// state icon, 24 x 24 on the status button, 32 x 32 on a slot button). Windows ask for an icon
// by the id their dialog names; a new icon is one more file in that folder.
#pragma once

#include <QIcon>

#include <vector>

namespace wnd {

// Icons that several windows show.
constexpr int IDI_MAIN = 128;              ///< the program: window icon, About box, panels
constexpr int IDI_STATE_HIGH = 147;        ///< state lamp: at an upper limit, hot, no answer, pulses off
constexpr int IDI_STATE_NORMAL = 149;      ///< state lamp: regulating, normal, answered, pulses on
constexpr int IDI_STATE_OFF = 164;         ///< state lamp: off, or no state yet
constexpr int IDI_STATE_LOW = 165;         ///< state lamp: at a lower limit, warm, waiting for an answer
constexpr int IDI_STATUS_ACK = 167;        ///< status button: the camera acknowledged the last frame
constexpr int IDI_STATUS_NO_CAMERA = 169;  ///< status button: no camera answers
constexpr int IDI_STATUS_OTHER = 170;      ///< status button: the camera's last status was not an acknowledge
constexpr int IDI_STOP = 204;              ///< stop a focus or iris movement
constexpr int IDI_WARNING = 241;           ///< the power-protection warning

/// The icon of resource `id`, drawn from its SVG at any size and in the disabled look as well.
/// A null icon (and the id noted in MissingIconRequests) when the program carries no such icon.
QIcon LoadIconResource(int id);

/// Every icon id the program carries, ascending.
std::vector<int> IconResourceIds();

/// The ids asked of LoadIconResource so far, ascending; and those of them the program does
/// not carry. Tests drive the windows, then check that nothing they asked for is missing.
std::vector<int> RequestedIconIds();
std::vector<int> MissingIconRequests();

}  // namespace wnd
