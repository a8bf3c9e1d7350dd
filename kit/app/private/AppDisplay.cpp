#include <kit/app/private/AppDisplay.h>

#include <kit/app/Verify.h>

#include <atomic>

namespace kit_private {

namespace {

std::atomic<AppDisplay*> sInstalled{nullptr};

} // namespace

void install_app_display(AppDisplay* display) {
    sInstalled.store(display);
}

AppDisplay* installed_app_display() {
    return sInstalled.load();
}

AppDisplay& need_app_display(const char* function, const char* file, int line) {
    AppDisplay* display = sInstalled.load();
    if (display == nullptr) [[unlikely]]
        verify_failed("a display is installed", function, file, line);
    return *display;
}

} // namespace kit_private
