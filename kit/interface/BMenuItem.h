#pragma once

// An item of a menu: a label and a message sent to the item's target (the
// window of the menu when no target is set), or a submenu.

#include <kit/app/BMessenger.h>

#include <memory>
#include <string>

class BMenu;
class BWindow;

class BMenuItem {
public:
    // Takes ownership of the message. Items have no keyboard shortcuts.
    BMenuItem(const char* label, BMessage* message);
    // An item that opens a submenu; takes ownership of the menu.
    explicit BMenuItem(BMenu* submenu);
    virtual ~BMenuItem();

    BMenuItem(const BMenuItem&) = delete;
    BMenuItem& operator=(const BMenuItem&) = delete;

    // Thread: the lock holder of the window that shows the menu, or any
    // before the menu is in a window.
    const char* Label() const { return fLabel.c_str(); }
    void SetLabel(const char* label);
    bool IsEnabled() const { return fEnabled; }
    void SetEnabled(bool enabled);
    bool IsMarked() const { return fMarked; }
    void SetMarked(bool marked);
    bool IsSeparator() const { return fSeparator; }

    BMessage* Message() const { return fMessage.get(); }
    uint32 Command() const { return fMessage ? fMessage->what : 0; }
    status_t SetTarget(const BHandler* handler);
    status_t SetTarget(const BMessenger& messenger);
    BMessenger Messenger() const { return fTarget; }
    bool HasTarget() const { return fHasTarget; }

    BMenu* Submenu() const { return fSubmenu.get(); }
    BMenu* Menu() const { return fMenu; }

    // Sends a copy of the message to the target, or to the window of the menu.
    status_t Invoke();

    // Kit-private: the item's token, unique for the life of the process.
    uint64 Token() const { return fToken; }

protected:
    // For separators.
    BMenuItem();

private:
    friend class BMenu;

    void Changed();

    std::string fLabel;
    std::unique_ptr<BMessage> fMessage;
    std::unique_ptr<BMenu> fSubmenu;
    BMenu* fMenu = nullptr;
    BMessenger fTarget;
    bool fHasTarget = false;
    bool fEnabled = true;
    bool fMarked = false;
    bool fSeparator = false;
    uint64 fToken;
};

// A line between groups of items.
class BSeparatorItem : public BMenuItem {
public:
    BSeparatorItem();
};
