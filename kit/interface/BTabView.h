#pragma once

// A row of tabs above a page area; the page of the selected tab is shown.
// Every page view is a child of the tab view, so the controls on pages that
// are not in front stay in the window and keep working.

#include <kit/interface/BTab.h>
#include <kit/interface/BView.h>

#include <memory>
#include <vector>

class BTabView : public BView {
public:
    BTabView(BRect frame, const char* name, button_width width = B_WIDTH_AS_USUAL,
             uint32 resizingMode = B_FOLLOW_ALL_SIDES,
             uint32 flags = B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP |
                            B_FRAME_EVENTS | B_NAVIGABLE);
    ~BTabView() override;

    // Thread: the window's lock holder, or any while not in a window.

    // Adds a page; the tab (made if null) belongs to the tab view. The first
    // page added is selected.
    void AddTab(BView* page, BTab* tab = nullptr);
    int32 CountTabs() const { return static_cast<int32>(fTabs.size()); }
    BTab* TabAt(int32 index) const;
    BView* ViewForTab(int32 index) const;
    virtual void Select(int32 index);
    int32 Selection() const { return fSelection; }
    void SetTabWidth(button_width width);
    button_width TabWidth() const { return fTabWidth; }
    // The height of the row of tabs in the style's font. Thread: any.
    float TabHeight() const;

    void AttachedToWindow() override;

private:
    friend class BTab;
    friend class kit_private::ViewAccess;

    // Mirrors the tabs to the display.
    void TabsChanged();

    seam::Look WidgetLook() const override;
    void HandleDisplayEvent(BMessage* message) override;

    std::vector<std::unique_ptr<BTab>> fTabs;
    int32 fSelection = -1;
    button_width fTabWidth;
};
