#include <kit/interface/BMenuItem.h>
#include <kit/interface/DisplaySeam.h>

#include <kit/interface/BMenu.h>
#include <kit/interface/BWindow.h>

#include <atomic>

namespace {
std::atomic<uint64> sNextItemToken{1};
}

BMenuItem::BMenuItem(const char* label, BMessage* message)
    : fLabel(label ? label : ""), fMessage(message), fToken(sNextItemToken++) {}

BMenuItem::BMenuItem(BMenu* submenu)
    : fLabel(submenu ? submenu->Name() : ""), fSubmenu(submenu), fToken(sNextItemToken++) {
    if (fSubmenu) {
        fSubmenu->fSuper = nullptr;
        fSubmenu->fSuperitem = this;
    }
}

BMenuItem::BMenuItem() : fSeparator(true), fToken(sNextItemToken++) {}

BMenuItem::~BMenuItem() = default;

void BMenuItem::SetLabel(const char* label) {
    fLabel = label ? label : "";
    Changed();
}

void BMenuItem::SetEnabled(bool enabled) {
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    Changed();
}

void BMenuItem::SetMarked(bool marked) {
    if (marked == fMarked)
        return;
    fMarked = marked;
    Changed();
}

void BMenuItem::Changed() {
    if (fMenu != nullptr)
        fMenu->ItemChanged(this);
}

status_t BMenuItem::SetTarget(const BHandler* handler) {
    fTarget = BMessenger(handler);
    fHasTarget = handler != nullptr;
    return fTarget.IsValid() || handler == nullptr ? B_OK : B_BAD_HANDLER;
}

status_t BMenuItem::SetTarget(const BMessenger& messenger) {
    fTarget = messenger;
    fHasTarget = true;
    return messenger.IsValid() ? B_OK : B_BAD_HANDLER;
}

status_t BMenuItem::Invoke() {
    if (!fMessage)
        return B_BAD_VALUE;
    if (fHasTarget)
        return fTarget.SendMessage(fMessage.get());
    BWindow* window = fMenu != nullptr ? fMenu->Window() : nullptr;
    if (window == nullptr)
        return B_BAD_HANDLER;
    return window->PostMessage(fMessage.get());
}

BSeparatorItem::BSeparatorItem() = default;
