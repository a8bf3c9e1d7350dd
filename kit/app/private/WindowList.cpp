#include <kit/app/private/WindowList.h>

#include <kit/app/AppDefs.h>
#include <kit/app/BAutolock.h>
#include <kit/app/BLooper.h>
#include <kit/app/private/AppDisplay.h>
#include <kit/app/private/LooperPort.h>
#include <kit/app/private/MessengerAccess.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace kit_private {

namespace {
std::mutex sMutex;
std::vector<BMessenger> sWindows;
std::atomic<BringToFront> sBringToFront{nullptr};
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

void QuitAllWindows() {
    std::vector<std::shared_ptr<LooperPort>> ports;
    for (const BMessenger& window : Windows())
        if (auto port = MessengerAccess::Port(window))
            ports.push_back(std::move(port));
    for (auto& port : ports)
        port->MarkQuitting();
    // Alerts are given up only now: one asked for after this point sees its
    // window quitting and is never shown.
    if (AppDisplay* display = installed_app_display())
        display->DismissAlerts();
    for (auto& port : ports) {
        if (!port->HasStarted()) {
            // A window that never ran has no thread to end it; it is torn
            // down here, as its own Quit would.
            BLooper* looper = nullptr;
            if (port->LockForTearDown()) {
                looper = port->Looper();
                port->Unlock();
            }
            if (looper != nullptr)
                looper->Quit();
            continue;
        }
        Envelope quit;
        quit.message = std::make_unique<BMessage>(kQuitNow);
        port->Push(std::move(quit));
        port->Join();
    }
}

bool IsQuittingOrGone(const BMessenger& looper) {
    auto port = MessengerAccess::Port(looper);
    return !port || port->IsQuitting() || port->IsClosed();
}

void SetBringToFront(BringToFront hook) {
    sBringToFront.store(hook);
}

void BringWindowsToFront() {
    BringToFront bring = sBringToFront.load();
    if (bring == nullptr)
        return;
    for (const BMessenger& messenger : Windows()) {
        BAutolock lock(messenger);
        if (!lock.IsLocked())
            continue;
        BLooper* looper = nullptr;
        messenger.Target(&looper);
        bring(looper);
    }
}

} // namespace kit_private
