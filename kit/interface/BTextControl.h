#pragma once

// A label and an editable line side by side. The divider is the width of the
// label's column; the line (the control's text view) stands to its right.
// Every change of the text, typed by the user or set by the program, sends
// the modification message (if one is set) to the control's target.

#include <kit/interface/BControl.h>
#include <kit/interface/BTextView.h>

#include <memory>

class BTextControl : public BControl, public kit_private::TextOwner {
public:
    // Takes ownership of the message, which is the control's own and may be
    // null; the modification message is set apart.
    BTextControl(BRect frame, const char* name, const char* label, const char* text,
                 BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                 uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    ~BTextControl() override;

    // Thread: the window's lock holder, or any while not in a window.
    void SetText(const char* text);
    const char* Text() const;
    BTextView* TextView() const { return fTextView; }
    // Moves the line so that it begins right of the label's column, keeping
    // its right edge.
    void SetDivider(float divider);
    float Divider() const { return fDivider; }
    // Takes ownership of the message (which may be null).
    void SetModificationMessage(BMessage* message);
    BMessage* ModificationMessage() const { return fModificationMessage.get(); }

    void SetLabel(const char* label) override;
    // As wide as the control is now, as high as the style's line. Thread:
    // any; it asks the display.
    void GetPreferredSize(float* width, float* height) override;
    void TextChanged() override;

    // The gap between the label's column and the line.
    static constexpr float kGap = 2;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;

    BTextView* fTextView;
    float fDivider;
    std::unique_ptr<BMessage> fModificationMessage;
};
