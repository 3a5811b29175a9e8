// A panel's dialog template as a table: each control with its id, kind, text and rectangle in
// dialog units, in tab order. Building a template makes the widgets, places them at the
// application font's dialog units and wires the operator's own actions (a click, a pick in a
// list) to the panel as commands; setting a control from code sends nothing. Group boxes are
// frames beside the controls they surround, not their parents, so a panel moves and hides each
// control on its own.
#pragma once

#include <span>

class COptionDialog;

namespace panel_template {

enum class Kind {
    Label,     ///< static text
    GroupBox,  ///< titled frame
    CheckBox,  ///< BN_CLICKED on a click
    DropList,  ///< drop-down list; CBN_SELCHANGE when the operator picks an item
    Numeric,   ///< OVNumericControl (its children are made by its Init)
};

/// Id 0: a control nobody addresses (the template's "static" id).
struct Item {
    int id;
    Kind kind;
    const char* text;
    int x;
    int y;
    int width;
    int height;
};

/// Creates the controls of items on dialog and sizes its client area to widthDlu x heightDlu.
void Build(COptionDialog* dialog, std::span<const Item> items, int widthDlu, int heightDlu);

}  // namespace panel_template
