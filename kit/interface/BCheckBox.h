#pragma once

// A box that the user ticks on and off. Its value is B_CONTROL_ON or
// B_CONTROL_OFF; a click flips it and then sends the control's message.

#include <kit/interface/BControl.h>

class BCheckBox : public BControl {
public:
    BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
              uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW | B_NAVIGABLE);

    // The size the style gives a check box with this label. Thread: any; it
    // asks the display.
    void GetPreferredSize(float* width, float* height) override;
    // The size the box needs when its label may break into lines at blanks
    // so that the box is at most maxWidth wide (inclusive, as a frame's
    // width). The shown box breaks its label so whenever its frame is
    // narrower than one line needs. Thread: any; it asks the display.
    void GetPreferredSizeWithin(float maxWidth, float* width, float* height);

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
};
