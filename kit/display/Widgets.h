#pragma once

// The display's mirror of windows and views. The kit describes what it wants
// with the plain structs below; each function returns a task that, run on the
// display thread, brings the widgets in line. Widgets are found by the token
// of the window or view they mirror; a task for a widget that is gone does
// nothing.
//
// Input goes the other way as messages (see InterfacePrivate.h) sent through
// the messenger of the window or view concerned.

#include <kit/app/BMessenger.h>
#include <kit/display/Display.h>
#include <kit/interface/BRect.h>
#include <kit/interface/GraphicsDefs.h>

#include <string>
#include <vector>

namespace display {

using WidgetId = uint64;

struct WindowShape {
    WidgetId id = 0;
    WidgetId topView = 0;
    std::string title;
    BRect frame; // content area on the screen
    bool floating = false;
    bool appModal = false;
    bool resizable = true;
    bool closable = true;
    bool zoomable = true;
    bool minimizable = true;
    BMessenger window;
};

enum class Kind {
    View,
    Button,
    StringView,
    MenuBar,
    TabView,
    CheckBox,
    TextControl,
    TextView,
    MenuField,
    ListView,
    ScrollView,
};

struct MenuItemShape {
    WidgetId id = 0;
    std::string label;
    bool separator = false;
    bool enabled = true;
    bool marked = false;
};

struct MenuShape {
    WidgetId id = 0;
    std::string label;
    bool radio = false;
    std::vector<MenuItemShape> items;
};

struct ViewShape {
    WidgetId id = 0;
    WidgetId parent = 0;
    Kind kind = Kind::View;
    std::string name;
    BRect frame; // in the parent's coordinates
    bool hasColor = false;
    rgb_color color;
    std::string label;
    std::string text;
    bool enabled = true;
    int32 value = 0;
    int32 maxBytes = 0;
    float divider = 0;
    std::vector<MenuShape> menus;
    BMessenger view;
};

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
Task SetViewLabel(WidgetId id, std::string label);
Task SetViewText(WidgetId id, std::string text);
Task SetViewEnabled(WidgetId id, bool enabled);
Task SetViewValue(WidgetId id, int32 value);
Task SetMenus(WidgetId id, std::vector<MenuShape> menus);
// A tab view's tabs: labels, the views of the pages in order, the selection
// and the height of the tab row; with sameWidth every tab is as wide as the
// widest.
Task SetTabs(WidgetId id, std::vector<std::string> labels, std::vector<WidgetId> pages,
             int32 selected, float tabHeight, bool sameWidth);

// Measurements with the real style and font. Thread: any; they wait for the
// display.
struct Size {
    float width = 0;
    float height = 0;
};
Size PreferredButtonSize(const std::string& label);
Size PreferredLabelSize(const std::string& text);
// maxWidth > 0 lets the label break into lines to stay within that many
// pixels.
Size PreferredCheckBoxSize(const std::string& label, int maxWidth = 0);
float MenuBarHeight();
float TabHeight();
float LabelWidth(const std::string& text);
float LineEditHeight();
rgb_color PanelBackgroundColor();

} // namespace display
