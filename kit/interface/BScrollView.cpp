#include <kit/interface/BScrollView.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/private/ViewAccess.h>

namespace {

float BorderWidth(border_style border) {
    switch (border) {
    case B_FANCY_BORDER:
        return 2;
    case B_PLAIN_BORDER:
        return 1;
    default:
        return 0;
    }
}

} // namespace

BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
                         bool horizontal, bool vertical, border_style border)
    : BView(FrameAround(target, horizontal, vertical, border), name, resizingMode, flags),
      fTarget(target), fHorizontal(horizontal), fVertical(vertical), fBorder(border) {
    if (fTarget == nullptr)
        return;
    float inset = BorderWidth(border);
    fTarget->MoveTo(inset, inset);
    AddChild(fTarget);
}

BScrollView::~BScrollView() = default;

BRect BScrollView::FrameAround(BView* target, bool horizontal, bool vertical, border_style border) {
    if (target == nullptr)
        return BRect(0, 0, 0, 0);
    BRect frame = target->Frame();
    float inset = BorderWidth(border);
    frame.InsetBy(-inset, -inset);
    if (vertical)
        frame.right += B_V_SCROLL_BAR_WIDTH;
    if (horizontal)
        frame.bottom += B_H_SCROLL_BAR_HEIGHT;
    return frame;
}

seam::Look BScrollView::WidgetLook() const {
    return seam::ScrollShape{fVertical, fHorizontal, static_cast<int32>(BorderWidth(fBorder))};
}
