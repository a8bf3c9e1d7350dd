#pragma once

// Kit-private: the display's side of the file panels. The kit describes a
// panel with the plain struct below and hands the display tasks that create,
// show, change, hide and destroy its dialog. The dialog sends the panel's
// message to the panel's target itself when the user confirms a choice, so
// nothing on the display ever waits for a looper.
//
// The functions build tasks; the tasks run on the display thread. A task for a
// panel whose dialog is gone (or was never shown) does nothing, except
// ShowFilePanel, which makes the dialog on its first showing.

#include <kit/app/BMessage.h>
#include <kit/app/BMessenger.h>
#include <kit/display/Display.h>

#include <atomic>
#include <memory>
#include <string>

namespace display {

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
    // Where a confirmed choice goes, and the message that carries it: the
    // display adds "refs", or "directory" and "name", to a copy.
    BMessenger target;
    BMessage message;
    // Whether the dialog is up. The display clears it when the user closes
    // the dialog, so the panel can answer without asking the display.
    std::shared_ptr<std::atomic<bool>> showing;
};

Task ShowFilePanel(FilePanelShape shape);
// Takes over the title, labels, target, message and hide-when-done setting;
// the folder shown and the selection stay as they are.
Task UpdateFilePanel(FilePanelShape shape);
Task HideFilePanel(PanelId id);
Task DestroyFilePanel(PanelId id);

} // namespace display
