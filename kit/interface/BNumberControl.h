#pragma once

// A label and a whole number that the user steps up and down or types, kept
// within a range. The divider is the width of the label's column, at least
// what the label needs with the gap after it (0, the start, gives just that);
// the number's field stands to its right. Every change the user makes sends the control's
// message; a value the program sets sends nothing.

#include <kit/interface/BControl.h>

class BNumberControl : public BControl {
public:
    // The value starts at minimum. Takes ownership of the message.
    BNumberControl(BRect frame, const char* name, const char* label, BMessage* message,
                   int32 minimum, int32 maximum, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                   uint32 flags = B_WILL_DRAW | B_NAVIGABLE);

    // Thread: the window's lock holder, or any while not in a window.
    // A value outside the range is taken as the nearer end of it.
    void SetValue(int32 value) override;
    int32 Minimum() const { return fMinimum; }
    int32 Maximum() const { return fMaximum; }
    void SetDivider(float divider);
    float Divider() const { return fDivider; }

    // The label's own width and the field the largest number needs, as the
    // style draws them; at least the divider for the label. Thread: any; it
    // asks the display.
    void GetPreferredSize(float* width, float* height) override;

    // The gap between the label's column and the field.
    static constexpr float kGap = 6;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    void HandleDisplayEvent(BMessage* message) override;

    int32 fMinimum;
    int32 fMaximum;
    float fDivider = 0;
};
