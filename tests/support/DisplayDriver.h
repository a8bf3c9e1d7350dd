#pragma once

// Drives the real widgets on the display thread, as a user would: finds them
// by object name (the view's name) or label, clicks them, and reads what they
// show. Every call waits for the display. Thread: a test thread.

#include <kit/display/Display.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace driver {

using namespace std::chrono_literals;

// Runs the work on the display thread and answers its result.
template <class T>
T OnDisplay(const std::function<T()>& work) {
    T result{};
    display::Invoke([&] { result = work(); });
    return result;
}

// Waits until the condition, evaluated on the display thread, holds.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// Runs everything posted to the display so far (and what that posts).
void Settle();

struct WidgetInfo {
    bool exists = false;
    bool visible = false;
    bool enabled = false;
    std::string text; // a button's or label's text, a window's title
    int x = 0, y = 0; // position in the parent (screen for windows)
    int width = 0, height = 0;
    std::string className;
    std::string accessibleName; // what an assistive tool reads for it
};

// A top-level window by title, and a widget by object name inside it.
WidgetInfo Window(const std::string& title);
WidgetInfo Widget(const std::string& windowTitle, const std::string& objectName);
bool WaitForWidget(const std::string& windowTitle, const std::string& objectName);

// Clicks a push button by object name.
bool Click(const std::string& windowTitle, const std::string& objectName);
// Triggers a menu item of a window's menu bar.
bool ChooseMenuItem(const std::string& windowTitle, const std::string& menu,
                    const std::string& item);
std::vector<std::string> MenuItems(const std::string& windowTitle, const std::string& menu);
std::vector<std::string> MenuTitles(const std::string& windowTitle);
// Asks the window to close through its close box.
bool CloseWindow(const std::string& windowTitle);
// The tabs of a tab view and the index in front.
std::vector<std::string> TabLabels(const std::string& windowTitle);
int CurrentTab(const std::string& windowTitle);

// The width of each tab of the window's tab view, as drawn.
std::vector<int> TabWidths(const std::string& windowTitle);

// A picture of a window as it is drawn, and where a widget lies in it.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels; // 0xAARRGGBB, row by row
    unsigned At(int x, int y) const { return pixels[size_t(y * width + x)]; }
};
Picture Grab(const std::string& windowTitle, const std::string& savePath = {});
struct Area {
    bool exists = false;
    int left = 0, top = 0, right = 0, bottom = 0; // inclusive, in the window
    int neededWidth = 0;                          // what the widget's content asks for
};
Area InWindow(const std::string& windowTitle, const std::string& objectName);

// The sizes of a window's icon, and the colour of one of its pixels
// (0xAARRGGBB) at the given size.
std::vector<int> WindowIconSizes(const std::string& windowTitle);
unsigned WindowIconPixel(const std::string& windowTitle, int size, int x, int y);

struct AlertInfo {
    std::string title;      // the alert's own name, its object name
    std::string shownTitle; // what its title bar shows
    std::string text;
    std::vector<std::string> buttons;
};
// True while an alert of that title is on the screen.
bool AlertShown(const std::string& title);
// Waits for an open alert and takes its picture as it is drawn.
Picture GrabAlert(const std::string& savePath = {}, std::chrono::milliseconds timeout = 10s);
// Waits for an open alert and answers it with the named button.
std::optional<AlertInfo> AnswerAlert(const std::string& button,
                                     std::chrono::milliseconds timeout = 10s);

} // namespace driver
