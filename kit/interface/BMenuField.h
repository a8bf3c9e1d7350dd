#pragma once

// A label and a pop-up menu side by side. The divider is the width of the
// label's column; the menu's button stands to its right and shows the label
// of the marked item when the menu takes its label from the marked item,
// otherwise the menu's name. Choosing an item marks it (in radio mode) and
// sends its message, if it has one.

#include <kit/interface/BMenu.h>
#include <kit/interface/BView.h>

#include <memory>
#include <string>

class BMenuField : public BView, public kit_private::MenuOwner {
public:
    // The menu belongs to the field from then on.
    BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
               uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
               uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    ~BMenuField() override;

    // Thread: the window's lock holder, or any while not in a window.
    BMenu* Menu() const { return fMenu.get(); }
    const char* Label() const { return fLabel.c_str(); }
    void SetDivider(float divider);
    float Divider() const { return fDivider; }
    bool IsEnabled() const { return fEnabled; }
    void SetEnabled(bool enabled);
    // What the menu's button shows.
    std::string ButtonLabel() const;

    // Room for the label (or the divider, if wider) and for a button that
    // fits the widest item. Thread: any; it asks the display.
    void GetPreferredSize(float* width, float* height) override;
    void MenuChanged() override;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    bool WidgetEnabled() const override { return fEnabled; }
    void HandleDisplayEvent(BMessage* message) override;

    std::string fLabel;
    std::unique_ptr<BMenu> fMenu;
    float fDivider;
    bool fEnabled = true;
};
