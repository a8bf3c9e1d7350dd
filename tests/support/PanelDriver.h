#pragma once

// Drives the real file dialogs of file panels on the display thread, as a
// user would: waits for a folder to be listed, selects entries, types a name,
// presses the dialog's own buttons. A panel's dialog is found by its object
// name, which is the panel's title. Every call waits for the display.
// Thread: a test thread.

#include <chrono>
#include <string>
#include <vector>

namespace driver {

struct PanelInfo {
    bool exists = false;
    bool visible = false;
    bool applicationModal = false;
    std::string title;
    std::string acceptLabel;
    std::string cancelLabel;
    std::string acceptAccessibleName;
    std::string cancelAccessibleName;
    bool acceptEnabled = false;
    std::string folder;   // the folder shown
    std::string typed;    // the text of the name field
    int selectedRows = 0; // entries selected in the list
};

PanelInfo Panel(const std::string& name);
bool WaitForPanelShown(const std::string& name);
bool WaitForPanelHidden(const std::string& name);
// Waits until the dialog is gone altogether.
bool WaitForPanelGone(const std::string& name);

// Waits until the dialog shows the folder and lists every one of the names
// (the folder's contents are read in the background).
bool WaitForListing(const std::string& name, const std::string& folder,
                    const std::vector<std::string>& entries);
// Goes to a folder as if typed into the dialog, then waits for the listing.
bool GoToFolder(const std::string& name, const std::string& folder,
                const std::vector<std::string>& entries);

// Selects listed entries, in this order, as clicks with Ctrl held would.
bool SelectEntries(const std::string& name, const std::vector<std::string>& entries);
// Opens a listed entry as a double click does.
bool ActivateEntry(const std::string& name, const std::string& entry);
// Replaces the text of the name field.
bool TypeName(const std::string& name, const std::string& text);
// Presses Return in the name field, as a user does after typing.
bool PressReturn(const std::string& name);
// What the dialog itself reports as chosen, in its order.
std::vector<std::string> SelectedFiles(const std::string& name);

// The choices of the dialog's file type menu and the one chosen.
struct TypeChoices {
    std::vector<std::string> labels;
    int chosen = -1;
};
TypeChoices Types(const std::string& name);

// How the dialog's detail view shows one cell: the width its text needs
// (with the item's margins and, in the first column, its icon), and the part
// of the cell that can be seen.
struct Cell {
    std::string column; // the column's heading
    std::string text;
    int needed = 0;
    int seen = 0;
};
// Every cell of the listed entries, row by row.
std::vector<Cell> Cells(const std::string& name);

// Clicks the dialog's accept or cancel button as soon as it can be pressed;
// false if it cannot be pressed within the timeout.
bool PressAccept(const std::string& name,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The same, reporting what the dialog held as chosen at the moment of the click.
bool PressAcceptReporting(const std::string& name, std::vector<std::string>* chosen,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
bool PressCancel(const std::string& name,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace driver
