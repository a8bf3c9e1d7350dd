#pragma once

// Kit-private, display thread only: the widgets of the check box, the text
// control and its line, and the menu field, made for Widgets.cpp.

#include <kit/display/Widgets.h>

class QCheckBox;
class QString;
class QWidget;

namespace display {

// The label of a check box broken at blanks so that the box stays within
// width pixels; a word longer than that stands on a line of its own.
QString WrapCheckBoxLabel(const QCheckBox& box, const QString& label, int width);

// The widget that mirrors the kit object with this token, if it still exists.
QWidget* FindWidget(WidgetId id);

} // namespace display
