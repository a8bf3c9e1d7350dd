#pragma once

// A frame around one target view with scroll bars beside it. The scroll view
// takes the target's place: it covers the target's frame grown by the border
// on every side and by a scroll bar's width on the right (vertical bar) and at
// the bottom (horizontal bar); the target becomes its child, inside the border.
// A list view as the target scrolls its rows with the bars.

#include <kit/interface/BView.h>

namespace kit_private {
class ViewAccess;
}

enum border_style {
    B_PLAIN_BORDER,
    B_FANCY_BORDER,
    B_NO_BORDER,
};

// The width of a vertical scroll bar (and the height of a horizontal one).
constexpr float B_V_SCROLL_BAR_WIDTH = 14;
constexpr float B_H_SCROLL_BAR_HEIGHT = 14;

class BScrollView : public BView {
public:
    // The target must not be in a view yet; it belongs to the scroll view.
    // Thread: any, while neither view is in a window.
    BScrollView(const char* name, BView* target, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                uint32 flags = 0, bool horizontal = false, bool vertical = false,
                border_style border = B_FANCY_BORDER);
    ~BScrollView() override;

    // Thread: the window's lock holder, or any while not in a window.
    BView* Target() const { return fTarget; }
    border_style Border() const { return fBorder; }
    bool HasVerticalScrollBar() const { return fVertical; }
    bool HasHorizontalScrollBar() const { return fHorizontal; }

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;

    static BRect FrameAround(BView* target, bool horizontal, bool vertical, border_style border);

    BView* fTarget;
    bool fHorizontal;
    bool fVertical;
    border_style fBorder;
};
