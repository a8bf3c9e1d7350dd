#pragma once

// Kit-private: the display's side of the file panels. The kit describes a
// panel with the seam's FilePanelShape and hands the display tasks that create,
// show, change, hide and destroy its dialog. The dialog sends the panel's
// message to the panel's target itself when the user confirms a choice, so
// nothing on the display ever waits for a looper. A path typed into the name
// field is split there into an existing folder and a name, so the message
// carries what the panel's receiver expects; what cannot be taken (a folder
// that does not exist or cannot be written, a name too long for the file
// system, a file to open that is not there) is explained in a message of the
// panel's own while the panel stays open.
//
// The functions build tasks; the tasks run on the display thread. A task for a
// panel whose dialog is gone (or was never shown) does nothing, except
// ShowFilePanel, which makes the dialog on its first showing.

#include <kit/display/Display.h>
#include <kit/interface/DisplaySeam.h>

namespace display {

using seam::FilePanelShape;
using seam::PanelId;

Task ShowFilePanel(FilePanelShape shape);
// Takes over the title, labels, target, message and hide-when-done setting;
// the folder shown and the selection stay as they are.
Task UpdateFilePanel(FilePanelShape shape);
Task HideFilePanel(PanelId id);
Task DestroyFilePanel(PanelId id);

} // namespace display
