#pragma once

// Kit-private: the application's windows, by messenger, in the order they were
// made. A window enters the list when it is built and leaves it when it has quit.

#include <kit/app/BMessenger.h>

#include <vector>

namespace kit_private {

// Thread: any.
void AddWindow(const BMessenger& window);
void RemoveWindow(const BMessenger& window);
std::vector<BMessenger> Windows();

// Ends every window that is still open, without asking it, and waits for
// their threads: each is marked as quitting first, so that no other thread
// locks it any more and an alert it is waiting for is given up, and then
// finishes what was queued before its quit. A window busy in an alert gets no
// answer (-1). Thread: any but a window's and the display's.
void QuitAllWindows();

// True once the looper behind the messenger has begun to quit or is gone.
bool IsQuittingOrGone(const BMessenger& looper);

} // namespace kit_private
