#include <kit/interface/BNumberControl.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/InterfacePrivate.h>
#include <kit/interface/private/ViewAccess.h>

#include <algorithm>

BNumberControl::BNumberControl(BRect frame, const char* name, const char* label, BMessage* message,
                               int32 minimum, int32 maximum, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags), fMinimum(minimum),
      fMaximum(std::max(minimum, maximum)) {
    BControl::SetValue(fMinimum);
}

void BNumberControl::SetValue(int32 value) {
    BControl::SetValue(std::clamp(value, fMinimum, fMaximum));
}

void BNumberControl::SetDivider(float divider) {
    fDivider = divider;
    kit_private::ViewAccess::QueueLook(this);
}

void BNumberControl::GetPreferredSize(float* width, float* height) {
    seam::Size field = seam::Need().PreferredNumberFieldSize(fMinimum, fMaximum);
    const float label = Label()[0] == '\0' ? 0 : seam::Need().LabelWidth(Label()) + kGap;
    if (width != nullptr)
        *width = std::max(label, fDivider) + field.width - 1;
    if (height != nullptr)
        *height = field.height - 1;
}

seam::Look BNumberControl::WidgetLook() const {
    return seam::NumberControlShape{Label(), fDivider, Value(), fMinimum, fMaximum};
}

void BNumberControl::HandleDisplayEvent(BMessage* message) {
    // The field keeps to the range itself; a value from elsewhere (an
    // assistive tool) is held to it here all the same.
    int32 value = 0;
    if (message->what != kit_private::kControlInvoked || !IsEnabled() ||
        message->FindInt32("value", &value) != B_OK)
        return;
    value = std::clamp(value, fMinimum, fMaximum);
    if (value == Value())
        return;
    SetValue(value);
    Invoke();
}
