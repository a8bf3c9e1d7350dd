#pragma once

// Drives the real list widgets on the display thread as a user would: clicks
// rows with or without Shift and Ctrl, presses the keys a list reacts to, and
// drops text/uri-list data on it as a file manager does. A list is found by
// its view's name inside a window. Every call waits for the display.
// Thread: a test thread.

#include <string>
#include <vector>

namespace driver {

enum class Modifier { None, Shift, Control };
enum class ListKey { Up, Down, Home, End, SelectAll, Delete };

// The rows as shown (UTF-8), and the rows shown as selected, ascending.
std::vector<std::string> ListRows(const std::string& windowTitle, const std::string& list);
std::vector<int> ListSelection(const std::string& windowTitle, const std::string& list);

bool ClickRow(const std::string& windowTitle, const std::string& list, int row,
              Modifier modifier = Modifier::None);
bool PressKey(const std::string& windowTitle, const std::string& list, ListKey key,
              Modifier modifier = Modifier::None);
// Drags the bytes onto the list as text/uri-list and drops them there.
bool DropUriList(const std::string& windowTitle, const std::string& list,
                 const std::string& uriList);
enum class DropAction { Copy, Move, Link };
// Drags the bytes onto the list as a source that offers these actions does,
// with the modifier held, and drops them there. Answers the action the list
// took ("copy", "move", "link"), or "" when it refused the drag or the drop.
std::string DropUriListOffering(const std::string& windowTitle, const std::string& list,
                                const std::string& uriList, const std::vector<DropAction>& offered,
                                Modifier modifier = Modifier::None);
// Drags the bytes as plain text only and drops them.
bool DropText(const std::string& windowTitle, const std::string& list, const std::string& text);

struct ScrollBarInfo {
    bool exists = false;
    bool visible = false;
    int maximum = 0;
    int x = 0, y = 0, width = 0, height = 0;
};
// The vertical scroll bar of a scroll view.
ScrollBarInfo VerticalScrollBar(const std::string& windowTitle, const std::string& scrollView);

} // namespace driver
