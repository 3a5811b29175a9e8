// A panel's dialog template: its controls as a table of (id, kind, text, rectangle in dialog
// units), built into widgets in table order (the tab order) at the dialog font's size. Group
// boxes are siblings drawn behind the controls they frame, never their parents, so hiding or
// moving a box leaves its controls where they are. The controls report the operator's actions
// to the panel as commands: a button or radio click BN_CLICKED, a combo-box pick
// CBN_SELCHANGE; edits, spins and trackbars report as they always do (EN_KILLFOCUS, scroll
// codes). Changes made by code report nothing.
#pragma once

#include <span>

class QRect;
class QWidget;

namespace panel_template {

enum class Kind {
    Static,      ///< a text; '\n' breaks lines
    StaticRight, ///< a text aligned to the right edge
    Group,       ///< a group box; the text is its caption
    Button,      ///< a push button
    Check,       ///< a check box
    RadioFirst,  ///< a radio button that starts a new group of exclusive radios
    Radio,       ///< a radio button in the group of the radio before it
    Combo,       ///< a drop-down list
    Edit,        ///< a one-line edit
    Spin,        ///< an up-down control, placed inside the right end of the edit before it
    TrackBar,    ///< a horizontal trackbar
    Icon,        ///< a 16 x 16 pixel icon static
    Numeric,     ///< an OVNumericControl: reports 1001/1002 itself; its children come with its Init
};

/// A control the template table cannot build (a divider, a picture): its rectangle in dialog
/// units.
struct Placeholder {
    int id;
    int x, y, width, height;
};

struct Item {
    int id;  ///< 0 for a static no code needs
    Kind kind;
    const char* text;
    int x, y, width, height;  ///< dialog units
};

/// Creates the items' controls on panel, each with its id, and sizes the panel's client area to
/// widthDlu x heightDlu.
void Build(QWidget* panel, std::span<const Item> items, int widthDlu, int heightDlu);

/// The rectangle of control id in panel's client coordinates (empty when there is none).
QRect RectOf(const QWidget* panel, int id);
/// Moves control id by (dx, dy) pixels; nothing when there is none.
void MoveBy(QWidget* panel, int id, int dx, int dy);
/// Moves the controls of ids that exist up by shift pixels.
void MoveUp(QWidget* panel, std::span<const int> ids, int shift);
/// The bottom edge (y + height) of control id in panel's client coordinates; 0 when there is none.
int BottomOf(const QWidget* panel, int id);
/// Hides the controls of ids that exist.
void Hide(QWidget* panel, std::span<const int> ids);
/// Resizes the panel's client area, width kept, to end `margin` pixels below control id.
void FitHeightBelow(QWidget* panel, int id, int margin);

}  // namespace panel_template
