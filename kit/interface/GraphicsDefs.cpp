#include <kit/interface/GraphicsDefs.h>

#include <kit/interface/DisplaySeam.h>

#include <mutex>

rgb_color ui_color(color_which which) {
    static std::once_flag once;
    static rgb_color panel{216, 216, 216, 255};
    switch (which) {
    case B_PANEL_TEXT_COLOR:
        return rgb_color{0, 0, 0, 255};
    case B_PANEL_BACKGROUND_COLOR:
    default:
        // Without a display running the colour stays the plain default.
        if (seam::Display* display = seam::Installed();
            display != nullptr && display->IsAvailable())
            std::call_once(once, [display] { panel = display->PanelBackgroundColor(); });
        return panel;
    }
}
