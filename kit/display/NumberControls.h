#pragma once

// The display's side of the number control: its widget (made through the
// overloads of Looks.h) and the measurement of its field. Like Widgets.h it
// carries no Qt types.

#include <kit/display/Widgets.h>

namespace display {

// The size of a number's field wide enough for every number from minimum to
// maximum. Thread: any; it waits for the display.
Size PreferredNumberFieldSize(int32 minimum, int32 maximum);

} // namespace display
