#include <kit/display/Widgets.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/private/ViewAccess.h>

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
                     uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags) {}

void BCheckBox::GetPreferredSize(float* width, float* height) {
    display::Size size = display::PreferredCheckBoxSize(Label());
    // Sizes here are inclusive: one less than the pixel count.
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

void BCheckBox::GetPreferredSizeWithin(float maxWidth, float* width, float* height) {
    display::Size size = display::PreferredCheckBoxSize(Label(), int(maxWidth) + 1);
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

display::ViewShape BCheckBox::WidgetShape() const {
    display::ViewShape shape = kit_private::ViewAccess::ShapeOf<BControl>(this);
    shape.kind = display::Kind::CheckBox;
    return shape;
}
