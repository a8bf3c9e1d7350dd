#include <kit/interface/BTextControl.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <algorithm>

BTextControl::BTextControl(BRect frame, const char* name, const char* label, const char* text,
                           BMessage* message, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags),
      fDivider(label != nullptr && *label != '\0' ? frame.Width() / 2 : 0) {
    BRect line = Bounds();
    line.left = fDivider + kGap;
    fTextView = new BTextView(line, "_input_", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM,
                              B_WILL_DRAW | B_NAVIGABLE);
    fTextView->SetText(text);
    fTextView->SetOwner(this);
    fTextView->SetAccessibleLabel(Label());
    AddChild(fTextView);
}

BTextControl::~BTextControl() = default;

void BTextControl::SetText(const char* text) {
    fTextView->SetText(text);
}

const char* BTextControl::Text() const {
    return fTextView->Text();
}

void BTextControl::SetDivider(float divider) {
    fDivider = divider;
    BRect line = fTextView->Frame();
    line.left = divider + kGap;
    fTextView->MoveTo(line.left, line.top);
    fTextView->ResizeTo(std::max(0.0f, line.Width()), line.Height());
    kit_private::ViewAccess::QueueLook(this);
}

void BTextControl::SetModificationMessage(BMessage* message) {
    fModificationMessage.reset(message);
}

void BTextControl::SetLabel(const char* label) {
    BControl::SetLabel(label);
    fTextView->SetAccessibleLabel(Label());
}

void BTextControl::GetPreferredSize(float* width, float* height) {
    if (width != nullptr)
        *width = Frame().Width();
    if (height != nullptr)
        *height = seam::Need().LineEditHeight() - 1;
}

seam::Look BTextControl::WidgetLook() const {
    return seam::TextControlShape{Label(), fDivider};
}

void BTextControl::TextChanged() {
    if (fModificationMessage)
        Invoke(fModificationMessage.get());
}
