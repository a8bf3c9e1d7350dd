#pragma once

// Kit-private: the application's windows, by messenger, in the order they were
// made. A window enters the list when it is built and leaves it when it has quit.

#include "app/BMessenger.h"

#include <vector>

namespace kit_private {

// Thread: any.
void AddWindow(const BMessenger& window);
void RemoveWindow(const BMessenger& window);
std::vector<BMessenger> Windows();

} // namespace kit_private
