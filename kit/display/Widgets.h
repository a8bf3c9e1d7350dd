#pragma once

// The display's mirror of windows and views. The kit describes what it wants
// with the plain structs of the seam (DisplaySeam.h); each function returns a
// task that, run on the display thread, brings the widgets in line. Widgets are found by the token
// of the window or view they mirror; a task for a widget that is gone does
// nothing.
//
// Input goes the other way as messages (see InterfacePrivate.h) sent through
// the messenger of the window or view concerned.

#include <kit/display/Display.h>
#include <kit/interface/DisplaySeam.h>

#include <memory>
#include <string>
#include <vector>

class QFont;
class QStyle;

namespace display {

using seam::MenuItemShape;
using seam::MenuShape;
using seam::Size;
using seam::ViewShape;
using seam::WidgetId;
using seam::WindowShape;

// Windows.
Task CreateWindow(WindowShape shape);
Task DestroyWindow(WidgetId id);
Task SetWindowTitle(WidgetId id, std::string title);
Task SetWindowFrame(WidgetId id, BRect frame);
Task SetWindowShown(WidgetId id, bool shown);
Task ActivateWindow(WidgetId id);

// Views.
Task CreateView(ViewShape shape);
Task DestroyView(WidgetId id);
Task SetViewFrame(WidgetId id, BRect frame);
Task SetViewColor(WidgetId id, rgb_color color);
Task SetViewEnabled(WidgetId id, bool enabled);
Task SetViewFocus(WidgetId id, bool focus);
// The view's whole look anew, given to its widget's Apply.
Task SetViewLook(WidgetId id, seam::Look look);

// The task that brings a list widget in line with its feed.
Task FeedList(WidgetId id, std::shared_ptr<seam::ListFeed> feed);

// Measurements with the real style and font. Thread: any; they wait for the
// display.
Size PreferredButtonSize(const std::string& label);
Size PreferredLabelSize(const std::string& text);
// maxWidth > 0 lets the label break into lines to stay within that many
// pixels.
Size PreferredCheckBoxSize(const std::string& label, int maxWidth = 0);
float MenuBarHeight();
// The height a menu bar of that font takes in that style, uncached. Thread:
// the display's.
float MenuBarHeightFor(const QFont& font, const QStyle& style);
float TabHeight();
float LabelWidth(const std::string& text);
float LineEditHeight();
float StatusBarHeight();
rgb_color PanelBackgroundColor();

} // namespace display
