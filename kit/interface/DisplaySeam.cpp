#include <kit/interface/DisplaySeam.h>

#include <kit/app/Verify.h>

namespace seam {

namespace {

std::atomic<Display*> sInstalled{nullptr};

} // namespace

void Install(Display* display) {
    sInstalled.store(display);
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
