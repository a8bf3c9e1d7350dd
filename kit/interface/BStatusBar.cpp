#include <kit/interface/BStatusBar.h>
#include <kit/interface/private/ViewAccess.h>

#include <algorithm>

BStatusBar::BStatusBar(BRect frame, const char* name, const char* label, uint32 resizingMode,
                       uint32 flags)
    : BView(frame, name, resizingMode, flags), fLabel(label ? label : "") {}

void BStatusBar::SetMaxValue(float maximum) {
    seam::StatusBarShape figure = fFigure;
    figure.maximum = std::max(maximum, 0.0f);
    figure.value = std::min(figure.value, figure.maximum);
    Show(figure);
}

void BStatusBar::SetTo(float value) {
    seam::StatusBarShape figure = fFigure;
    // A NaN fails both comparisons and would reach the display as garbage.
    figure.value = value > 0 ? std::min(value, figure.maximum) : 0;
    figure.busy = false;
    Show(figure);
}

void BStatusBar::Reset() {
    seam::StatusBarShape figure = fFigure;
    figure.value = 0;
    figure.busy = false;
    Show(figure);
}

void BStatusBar::SetBusy(bool busy) {
    seam::StatusBarShape figure = fFigure;
    figure.busy = busy;
    Show(figure);
}

void BStatusBar::Show(seam::StatusBarShape figure) {
    // Only a change costs the display anything.
    if (figure.value == fFigure.value && figure.maximum == fFigure.maximum &&
        figure.busy == fFigure.busy)
        return;
    fFigure = figure;
    kit_private::ViewAccess::QueueLook(this);
}

void BStatusBar::GetPreferredSize(float* width, float* height) {
    if (width != nullptr)
        *width = Frame().Width();
    if (height != nullptr)
        *height = seam::Need().StatusBarHeight() - 1;
}

seam::Look BStatusBar::WidgetLook() const {
    seam::StatusBarShape shape = fFigure;
    shape.label = fLabel;
    return shape;
}
