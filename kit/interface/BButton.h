#pragma once

// A push button.

#include <kit/interface/BControl.h>

#include <string>

class BButton : public BControl {
public:
    BButton(BRect frame, const char* name, const char* label, BMessage* message,
            uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
            uint32 flags = B_WILL_DRAW | B_NAVIGABLE);

    // The size the style gives a button with this label. Thread: any; it asks
    // the display.
    void GetPreferredSize(float* width, float* height) override;

    // The name an assistive tool reads for the button instead of its label,
    // for a button whose label alone does not say what it acts on; empty
    // gives the label back. Thread: the window's lock holder.
    void SetAccessibleLabel(const std::string& label);
    const std::string& AccessibleLabel() const { return fAccessibleLabel; }

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;

    std::string fAccessibleLabel;
};
