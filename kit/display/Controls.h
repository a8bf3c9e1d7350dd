#pragma once

// The display's side of the check box, the text control with its line and
// the menu field: tasks that bring their widgets in line with the kit, and
// the measurements they need. Like Widgets.h it carries no Qt types.

#include <kit/display/Widgets.h>

namespace display {

// The editable line of a text control: its text and its limit in bytes.
Task SetLineText(WidgetId id, std::string text);
Task SetLineMaxBytes(WidgetId id, int32 maxBytes);
// The width of the label's column of a text control or a menu field.
Task SetControlDivider(WidgetId id, float divider);
// A menu field's menu and what its button shows.
Task SetMenuFieldMenu(WidgetId id, MenuShape menu, std::string buttonLabel);
// A status bar's value and maximum, or its busy state.
Task SetStatusBar(WidgetId id, seam::BarFigure figure);

// The size of a pop-up menu's button wide enough for each of the labels.
// Thread: any; it waits for the display.
Size PreferredMenuButtonSize(const std::vector<std::string>& labels);

} // namespace display
