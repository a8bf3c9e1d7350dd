#include <kit/interface/BCheckBox.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
                     uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags) {}

void BCheckBox::GetPreferredSize(float* width, float* height) {
    seam::Size size = seam::Need().PreferredCheckBoxSize(Label(), 0);
    // Sizes here are inclusive: one less than the pixel count.
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

void BCheckBox::GetPreferredSizeWithin(float maxWidth, float* width, float* height) {
    seam::Size size = seam::Need().PreferredCheckBoxSize(Label(), int(maxWidth) + 1);
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

seam::Look BCheckBox::WidgetLook() const {
    return seam::CheckBoxShape{Label(), Value() != 0};
}
