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

Display& Need(std::source_location where) {
    Display* display = sInstalled.load();
    if (display == nullptr) [[unlikely]]
        kit_private::verify_failed("a display is installed", where.function_name(),
                                   where.file_name(), int(where.line()));
    return *display;
}

} // namespace seam
