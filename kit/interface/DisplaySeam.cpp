#include <kit/interface/DisplaySeam.h>

#include <kit/app/Verify.h>
#include <kit/app/private/WindowList.h>
#include <kit/interface/BWindow.h>

namespace seam {

namespace {

std::atomic<Display*> sInstalled{nullptr};

// How the application brings one of its windows, locked, to the front.
void bring_to_front(BLooper* looper) {
    auto* window = dynamic_cast<BWindow*>(looper);
    if (window != nullptr && !window->IsHidden())
        window->Activate();
}

} // namespace

void Install(Display* display) {
    sInstalled.store(display);
    kit_private::install_app_display(display);
    kit_private::SetBringToFront(display != nullptr ? &bring_to_front : nullptr);
}

Display* Installed() {
    return sInstalled.load();
}

Display& Need(const char* function, const char* file, int line) {
    Display* display = sInstalled.load();
    if (display == nullptr) [[unlikely]]
        kit_private::verify_failed("a display is installed", function, file, line);
    return *display;
}

} // namespace seam
