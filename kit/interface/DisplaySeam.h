#pragma once

// Everything the kit asks of a display, and nothing else. The kit holds the
// truth about its windows and views; a display mirrors them. The kit describes
// what it wants with the plain structs below and hands them to the installed
// display in batches; the display answers measurements and delivers the
// answers of alerts and panels. Input from the display reaches the kit only as
// messages to loopers.
//
// The program's main installs the Qt display before anything else runs; tests
// may install a recording one. The kit itself links no display: a program
// that uses only messaging runs with none installed. A call that needs a
// display when none is installed is a fault and stops the program at once.

#include <kit/app/BMessage.h>
#include <kit/app/BMessenger.h>
#include <kit/app/private/AppDisplay.h>
#include <kit/interface/BRect.h>
#include <kit/interface/GraphicsDefs.h>
#include <kit/interface/InterfaceDefs.h>
#include <kit/interface/ListFeed.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace seam {

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

// What each kind of view shows beyond its frame, one shape per kind. A view
// hands its whole shape over when it is made and again on every change of
// it; the display's widget for that kind takes it with one Apply.
struct PlainShape {};
// A button's label, and the name an assistive tool reads for it when the
// label alone does not say enough (empty: the label).
struct ButtonShape {
    std::string label;
    std::string accessibleLabel;
};
struct CheckBoxShape {
    std::string label;
    bool checked = false;
};
struct StringShape {
    std::string text;
};
// A text control is the column of its label, as wide as the divider; its
// editable line is a text view of its own among its children.
struct TextControlShape {
    std::string label;
    float divider = 0;
};
// The editable line: its text, its limit in bytes, and the label an
// assistive tool reads for it.
struct TextViewShape {
    std::string text;
    std::string accessibleLabel;
    int32 maxBytes = 0;
};
// A label's column, at least as wide as the label needs and the divider, then
// a field that holds a whole number from minimum to maximum.
struct NumberControlShape {
    std::string label;
    float divider = 0;
    int32 value = 0;
    int32 minimum = 0;
    int32 maximum = 0;
};
struct MenuBarShape {
    std::vector<MenuShape> menus;
};
// A menu field: the label's column as wide as the divider, then a button
// that pops up the menu and shows buttonLabel.
struct MenuFieldShape {
    std::string label;
    float divider = 0;
    MenuShape menu;
    std::string buttonLabel;
};
// A tab view's tabs: labels, the views of the pages in order, the selection
// and the height of the tab row; with sameWidth every tab is as wide as the
// widest.
struct TabViewShape {
    std::vector<std::string> labels;
    std::vector<WidgetId> pages;
    int32 selected = 0;
    float tabHeight = 0;
    bool sameWidth = false;
};
// A list's rows come through its feed (FeedList below); its shape is only
// how many rows may be selected.
struct ListShape {
    bool multipleSelection = false;
    // The name an assistive tool reads for the list (empty: the view's name).
    std::string accessibleLabel;
};
// What a status bar shows: value of maximum, or, while busy, that work goes
// on without a figure; and the label an assistive tool reads for it.
struct StatusBarShape {
    std::string label;
    float value = 0;
    float maximum = 100;
    bool busy = false;
};
// The bars a scroll view shows beside its target, and the width of its border.
struct ScrollShape {
    bool vertical = false;
    bool horizontal = false;
    int32 border = 0;
};

using Look = std::variant<PlainShape, ButtonShape, CheckBoxShape, StringShape, TextControlShape,
                          TextViewShape, MenuBarShape, MenuFieldShape, TabViewShape, ListShape,
                          ScrollShape, StatusBarShape, NumberControlShape>;

// What every view has: where it is, what it is called, its background, and
// whether it takes input; and its look.
struct ViewShape {
    WidgetId id = 0;
    WidgetId parent = 0;
    std::string name;
    BRect frame; // in the parent's coordinates
    bool hasColor = false;
    rgb_color color;
    bool enabled = true;
    BMessenger view;
    Look look;
};

using PanelId = uint64;

struct FilePanelShape {
    PanelId id = 0;
    bool save = false;
    // Hand a chosen link on as the link itself instead of what it points to.
    bool keepLinks = false;
    bool multiple = false;
    bool modal = false;
    bool hideWhenDone = true;
    // The folder shown on the first showing; empty for the user's home.
    std::string directory;
    std::string title;
    std::string acceptLabel;
    std::string cancelLabel;
    // Asked before a save panel replaces a file; "%s" stands for its name.
    std::string replaceQuestion;
    std::string replaceLabel;
    std::string keepLabel;
    // The choices of the dialog's file type menu, each a label followed by
    // its patterns in brackets; the first is chosen when the dialog is made.
    // Empty offers every file alone.
    std::vector<std::string> nameFilters;
    // Where a confirmed choice goes, and the message that carries it: the
    // display adds "refs", or "directory" and "name", to a copy.
    BMessenger target;
    BMessage message;
    // Whether the dialog is up. The display clears it when the user closes
    // the dialog, so the panel can answer without asking the display.
    std::shared_ptr<std::atomic<bool>> showing;
};

// The changes a display applies, in the order they are handed over. A change
// for a widget that is gone does nothing.
struct CreateWindow {
    WindowShape shape;
};
struct DestroyWindow {
    WidgetId id = 0;
};
struct WindowTitle {
    WidgetId id = 0;
    std::string title;
};
struct WindowFrame {
    WidgetId id = 0;
    BRect frame;
};
struct WindowShown {
    WidgetId id = 0;
    bool shown = false;
};
struct ActivateWindow {
    WidgetId id = 0;
};
struct CreateView {
    ViewShape shape;
};
struct DestroyView {
    WidgetId id = 0;
};
struct ViewFrame {
    WidgetId id = 0;
    BRect frame;
};
struct ViewColor {
    WidgetId id = 0;
    rgb_color color;
};
struct ViewEnabled {
    WidgetId id = 0;
    bool enabled = true;
};
// The keyboard focus of the view's window moves to the view (or leaves it).
struct ViewFocus {
    WidgetId id = 0;
    bool focus = true;
};
// A view's whole look anew. A look of another kind than the view's widget
// is a fault.
struct ViewLook {
    WidgetId id = 0;
    Look look;
};
// Everything the list view's feed holds by the time the change is applied.
struct FeedList {
    WidgetId id = 0;
    std::shared_ptr<ListFeed> feed;
};
// A file panel's dialog: made on its first showing; an update takes over the
// title, labels, target, message and hide-when-done setting, leaving the
// folder shown and the selection as they are.
struct ShowPanel {
    FilePanelShape shape;
};
struct UpdatePanel {
    FilePanelShape shape;
};
struct HidePanel {
    PanelId id = 0;
};
struct DestroyPanel {
    PanelId id = 0;
};

using Change =
    std::variant<CreateWindow, DestroyWindow, WindowTitle, WindowFrame, WindowShown, ActivateWindow,
                 CreateView, DestroyView, ViewFrame, ViewColor, ViewEnabled, ViewFocus, ViewLook,
                 FeedList, ShowPanel, UpdatePanel, HidePanel, DestroyPanel>;

struct Size {
    float width = 0;
    float height = 0;
};

// An alert on the screen. answered gets the index of the pressed button, on
// the display thread; givenUp is asked there just before the alert would be
// shown, and when it answers true the alert is dropped unanswered (and
// answered with it, so that a waiting promise breaks). A modal alert blocks
// every other window of the program; one that is not blocks none, and is not
// blocked by a modal window either.
struct AlertRequest {
    std::string title;
    std::string text;
    std::vector<std::string> buttons;
    alert_type type = B_INFO_ALERT;
    std::function<void(int32)> answered;
    std::function<bool()> givenUp;
    bool modal = true;
};

// The display's life, its thread and the alerts' end come from the
// application layer's view of it (AppDisplay), which the application object
// and the loopers use; the rest is what windows, views, panels and alerts ask.
class Display : public kit_private::AppDisplay {
public:
    // True while changes are taken: the display runs, or is announced.
    // Thread: any.
    virtual bool IsAvailable() = 0;

    // Applies the batch on the display thread after every batch handed over
    // before it; dropped when the display has stopped. Thread: any.
    virtual void Apply(std::vector<Change> batch) = 0;

    // Measurements with the display's real style and font. Zero when the
    // display has stopped. Thread: any; they wait for the display.
    virtual Size PreferredButtonSize(const std::string& label) = 0;
    virtual Size PreferredLabelSize(const std::string& text) = 0;
    // maxWidth > 0 lets the label break into lines to stay within that many
    // pixels.
    virtual Size PreferredCheckBoxSize(const std::string& label, int maxWidth) = 0;
    // A pop-up menu's button wide enough for each of the labels.
    virtual Size PreferredMenuButtonSize(const std::vector<std::string>& labels) = 0;
    // A number's field wide enough for every number from minimum to maximum.
    virtual Size PreferredNumberFieldSize(int32 minimum, int32 maximum) = 0;
    virtual float MenuBarHeight() = 0;
    virtual float TabHeight() = 0;
    virtual float LabelWidth(const std::string& text) = 0;
    virtual float LineEditHeight() = 0;
    virtual float StatusBarHeight() = 0;
    virtual rgb_color PanelBackgroundColor() = 0;

    // Alerts. The title bar of every alert shows the program's name (see
    // SetProgramName); the alert's own title is its object name. Thread: any.
    virtual void ShowAlert(AlertRequest request) = 0;
};

// Installs the display the kit talks to, for the application layer as well,
// and registers with that layer how the application brings a window to the
// front; null removes them. Thread: the main thread, before any looper or
// window exists and after the last is gone.
void Install(Display* display);

// The installed display, or null. Thread: any.
Display* Installed();

// The installed display; without one, the program stops and names the
// caller's place. Thread: any. The place comes from the compiler's builtins
// rather than std::source_location, which the clang of the fuzz build cannot
// give with this standard library.
Display& Need(const char* function = __builtin_FUNCTION(), const char* file = __builtin_FILE(),
              int line = __builtin_LINE());

} // namespace seam
