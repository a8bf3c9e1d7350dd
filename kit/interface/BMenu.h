#pragma once

// A list of menu items, shown by a menu bar or a menu field. A menu in radio
// mode keeps exactly one item marked.

#include <kit/app/SupportDefs.h>
#include <kit/interface/InterfaceDefs.h>

#include <memory>
#include <string>
#include <vector>

class BMenuField;
class BMenuBar;
class BMenuItem;
class BView;
class BWindow;

namespace seam {
struct MenuShape;
}

namespace kit_private {
// A view that shows menus: told of every change so that it can mirror it.
class MenuOwner {
public:
    virtual ~MenuOwner() = default;
    virtual void MenuChanged() = 0;
};
} // namespace kit_private

class BMenu {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
    virtual ~BMenu();

    BMenu(const BMenu&) = delete;
    BMenu& operator=(const BMenu&) = delete;

    // Thread: the lock holder of the window that shows the menu, or any
    // before the menu is in a window.

    // Items belong to the menu from then on.
    bool AddItem(BMenuItem* item);
    bool AddItem(BMenuItem* item, int32 index);
    bool AddItem(BMenu* submenu);
    bool AddSeparatorItem();
    BMenuItem* RemoveItem(int32 index);
    int32 CountItems() const { return static_cast<int32>(fItems.size()); }
    BMenuItem* ItemAt(int32 index) const;
    int32 IndexOf(const BMenuItem* item) const;
    BMenuItem* FindItem(const char* label) const;
    BMenuItem* FindItem(uint32 command) const;
    BMenuItem* FindMarked() const;

    const char* Name() const { return fName.c_str(); }
    menu_layout Layout() const { return fLayout; }
    void SetRadioMode(bool on) { fRadioMode = on; }
    bool IsRadioMode() const { return fRadioMode; }
    void SetLabelFromMarked(bool on);
    bool IsLabelFromMarked() const { return fLabelFromMarked; }
    void SetTriggersEnabled(bool on) { fTriggersEnabled = on; }
    bool AreTriggersEnabled() const { return fTriggersEnabled; }

    // The menu this one is a submenu of, and the item that opens it.
    BMenu* Supermenu() const { return fSuper; }
    BMenuItem* Superitem() const { return fSuperitem; }

private:
    // The views that show menus, and the items, reach the menu's mirror.
    friend class BMenuBar;
    friend class BMenuField;
    friend class BMenuItem;

    // The view that shows the menu; it mirrors every change to the display.
    void SetOwner(BView* owner);
    BView* Owner() const;
    BWindow* Window() const;
    seam::MenuShape Shape() const;
    // Finds an item by its token, in this menu and its submenus.
    BMenuItem* FindItemByToken(uint64 token) const;
    // Called when an item changed; radio mode is kept here.
    void ItemChanged(BMenuItem* item);
    uint64 Token() const { return fToken; }

    std::string fName;
    menu_layout fLayout;
    std::vector<std::unique_ptr<BMenuItem>> fItems;
    bool fRadioMode = false;
    bool fLabelFromMarked = false;
    bool fTriggersEnabled = true;
    BView* fOwner = nullptr;
    BMenu* fSuper = nullptr;
    BMenuItem* fSuperitem = nullptr;
    uint64 fToken;
};
