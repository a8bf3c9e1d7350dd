#pragma once

// A bar that shows how far a piece of work has come: a value between 0 and
// a maximum, or, while busy, that the work goes on without a figure to show.
// The bar draws its figure alone; its label is the name a reader hears.

#include <kit/interface/BView.h>

#include <string>

class BStatusBar : public BView {
public:
    BStatusBar(BRect frame, const char* name, const char* label,
               uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);

    // Thread: the window's lock holder, or any while the bar is in no window.
    // A new maximum keeps the value within it; a value is kept between 0 and
    // the maximum. Setting a value ends the busy state: there is a figure now.
    void SetMaxValue(float maximum);
    float MaxValue() const { return fFigure.maximum; }
    void SetTo(float value);
    // Adds delta to the value.
    void Update(float delta) { SetTo(fFigure.value + delta); }
    // Back to 0, not busy.
    void Reset();
    float CurrentValue() const { return fFigure.value; }
    // Busy: the work goes on, but there is no figure; the value is kept for
    // when the busy state ends.
    void SetBusy(bool busy);
    bool IsBusy() const { return fFigure.busy; }
    const char* Label() const { return fLabel.c_str(); }

    // As wide as the bar is now, as high as the style draws a bar. Thread:
    // any; it asks the display.
    void GetPreferredSize(float* width, float* height) override;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    void Show(seam::StatusBarShape figure);

    std::string fLabel;
    seam::StatusBarShape fFigure;
};
