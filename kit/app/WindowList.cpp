#include "app/WindowList.h"

#include <algorithm>
#include <mutex>

namespace kit_private {

namespace {
std::mutex sMutex;
std::vector<BMessenger> sWindows;
} // namespace

void AddWindow(const BMessenger& window) {
    std::lock_guard guard(sMutex);
    sWindows.push_back(window);
}

void RemoveWindow(const BMessenger& window) {
    std::lock_guard guard(sMutex);
    sWindows.erase(std::remove(sWindows.begin(), sWindows.end(), window), sWindows.end());
}

std::vector<BMessenger> Windows() {
    std::lock_guard guard(sMutex);
    return sWindows;
}

} // namespace kit_private
