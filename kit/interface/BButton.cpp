#include <kit/interface/BButton.h>
#include <kit/interface/private/ViewAccess.h>

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
                 uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags) {}

void BButton::GetPreferredSize(float* width, float* height) {
    seam::Size size = seam::Need().PreferredButtonSize(Label());
    // Sizes here are inclusive: one less than the pixel count.
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

seam::Look BButton::WidgetLook() const {
    return seam::ButtonShape{Label(), fAccessibleLabel};
}

void BButton::SetAccessibleLabel(const std::string& label) {
    if (label == fAccessibleLabel)
        return;
    fAccessibleLabel = label;
    kit_private::ViewAccess::QueueLook(this);
}
