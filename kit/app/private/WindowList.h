#pragma once

// Kit-private: the application's windows, by messenger, in the order they were
// made. A window enters the list when it is built and leaves it when it has quit.

#include <kit/app/BMessenger.h>

#include <vector>

class BLooper;

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

// Brings one window to the front if it is shown; called with the window
// locked. The interface layer registers it along with its display
// (seam::Install), so that this layer needs to know nothing of windows but
// their loopers; null removes it. Thread: any.
using BringToFront = void (*)(BLooper* window);
void SetBringToFront(BringToFront hook);

// Brings every window that is shown to the front, in the order they were
// made; nothing without a registered hook. Thread: any but a window's and the
// display's.
void BringWindowsToFront();

} // namespace kit_private
