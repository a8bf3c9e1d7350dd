#pragma once

// Kit-private, display thread only: the widgets of the check box, the text
// control and its line, and the menu field, made for Widgets.cpp.

#include <kit/display/Widgets.h>

#include <functional>

class QCheckBox;
class QFont;
class QPainter;
class QPaintEvent;
class QString;
class QWidget;

namespace display {

// The label of a check box broken at blanks so that the box stays within
// width pixels; a word longer than that stands on a line of its own.
QString WrapCheckBoxLabel(const QCheckBox& box, const QString& label, int width);

// How far text in the font advances, in pixels. A label is measured by the
// kit before its widget exists and again by the widget when it lays itself
// out; the answer is kept, so that each label is shaped once.
int TextAdvance(const QFont& font, const QString& text);

// Paints a widget's look, at a fractional device pixel ratio through a
// buffer laid on whole device pixels. At a fractional device pixel ratio (a desktop's text
// scaled by 1.5) a widget may start or end in the middle of a device pixel;
// Qt clips it to whole pixels but draws a one-pixel line along its edge
// across the boundary, so the line falls outside the clip and is lost. The
// buffer starts and ends on whole device pixels, so every line along its
// edges lands inside. paint draws the widget's whole rectangle.
void PaintOnWholePixels(QWidget* widget, QPaintEvent* event,
                        const std::function<void(QPainter&)>& paint);

// The widget that mirrors the kit object with this token, if it still exists.
QWidget* FindWidget(WidgetId id);

} // namespace display
