#pragma once

// The bar of menus at the top of a window. Added to a window, it takes the
// window's width and the height its font needs.

#include <kit/interface/BMenu.h>
#include <kit/interface/BView.h>

#include <memory>
#include <vector>

class BMenuBar : public BView, public kit_private::MenuOwner {
public:
    BMenuBar(BRect frame, const char* name,
             uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
             menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
    ~BMenuBar() override;

    // Thread: the window's lock holder, or any while not in a window.
    // The menu belongs to the bar from then on.
    bool AddItem(BMenu* menu);
    int32 CountItems() const { return static_cast<int32>(fMenus.size()); }
    BMenu* SubmenuAt(int32 index) const;
    // Finds an item by label in every menu of the bar.
    BMenuItem* FindItem(const char* label) const;
    menu_layout Layout() const { return fLayout; }

    void GetPreferredSize(float* width, float* height) override;
    void AttachedToWindow() override;
    void MenuChanged() override;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    void HandleDisplayEvent(BMessage* message) override;

    std::vector<seam::MenuShape> Shapes() const;

    std::vector<std::unique_ptr<BMenu>> fMenus;
    menu_layout fLayout;
    bool fResizeToFit;
};
