#include <kit/interface/BStringView.h>
#include <kit/interface/private/ViewAccess.h>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
                         uint32 flags)
    : BView(frame, name, resizingMode, flags), fText(text ? text : "") {}

void BStringView::SetText(const char* text) {
    fText = text ? text : "";
    kit_private::ViewAccess::QueueLook(this);
}

void BStringView::GetPreferredSize(float* width, float* height) {
    seam::Size size = seam::Need().PreferredLabelSize(fText);
    if (width != nullptr)
        *width = size.width - 1;
    if (height != nullptr)
        *height = size.height - 1;
}

seam::Look BStringView::WidgetLook() const {
    return seam::StringShape{fText};
}
