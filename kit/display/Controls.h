#pragma once

// The display's side of the check box, the text control with its line and
// the menu field: tasks that bring their widgets in line with the kit, and
// the measurements they need. Like Widgets.h it carries no Qt types.

#include <kit/display/Widgets.h>

namespace display {

// The size of a pop-up menu's button wide enough for each of the labels.
// Thread: any; it waits for the display.
Size PreferredMenuButtonSize(const std::vector<std::string>& labels);

} // namespace display
