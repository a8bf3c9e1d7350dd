#pragma once

// One line of text that the user cannot edit.

#include <kit/interface/BView.h>

#include <string>

class BStringView : public BView {
public:
    BStringView(BRect frame, const char* name, const char* text,
                uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);

    // Thread: the window's lock holder, or any while not in a window.
    void SetText(const char* text);
    const char* Text() const { return fText.c_str(); }

    void GetPreferredSize(float* width, float* height) override;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;

    std::string fText;
};
