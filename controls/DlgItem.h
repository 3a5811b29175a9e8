// Control ids on widgets. Every control of a panel carries its numeric id as the widget
// property "ctrlId", so code and tests find a control by the id the camera panels are written
// against, and a control that was never built is simply not found.
#pragma once

class QWidget;

namespace wnd {

constexpr const char* kCtrlIdProperty = "ctrlId";

/// Gives the widget its control id.
void SetDlgCtrlID(QWidget* widget, int id);
/// The widget's control id; 0 when it has none (or for null).
int GetDlgCtrlID(const QWidget* widget);
/// The first widget below parent (at any depth, pop-ups included) with that id; null if none.
QWidget* GetDlgItem(const QWidget* parent, int id);

}  // namespace wnd
