#include <kit/interface/BMenu.h>
#include <kit/interface/DisplaySeam.h>

#include <kit/interface/BMenuItem.h>
#include <kit/interface/BView.h>

#include <atomic>
#include <cstring>

namespace {
std::atomic<uint64> sNextMenuToken{1};
}

BMenu::BMenu(const char* name, menu_layout layout)
    : fName(name ? name : ""), fLayout(layout), fToken(sNextMenuToken++) {}

BMenu::~BMenu() = default;

bool BMenu::AddItem(BMenuItem* item) {
    return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index) {
    if (item == nullptr || item->fMenu != nullptr || index < 0 || index > CountItems())
        return false;
    item->fMenu = this;
    if (BMenu* submenu = item->Submenu())
        submenu->fSuper = this;
    fItems.emplace(fItems.begin() + index, item);
    ItemChanged(item);
    return true;
}

bool BMenu::AddItem(BMenu* submenu) {
    if (submenu == nullptr)
        return false;
    return AddItem(new BMenuItem(submenu));
}

bool BMenu::AddSeparatorItem() {
    return AddItem(new BSeparatorItem);
}

BMenuItem* BMenu::RemoveItem(int32 index) {
    if (index < 0 || index >= CountItems())
        return nullptr;
    BMenuItem* item = fItems[static_cast<size_t>(index)].release();
    fItems.erase(fItems.begin() + index);
    item->fMenu = nullptr;
    ItemChanged(nullptr);
    return item;
}

BMenuItem* BMenu::ItemAt(int32 index) const {
    if (index < 0 || index >= CountItems())
        return nullptr;
    return fItems[static_cast<size_t>(index)].get();
}

int32 BMenu::IndexOf(const BMenuItem* item) const {
    for (size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i].get() == item)
            return static_cast<int32>(i);
    return -1;
}

BMenuItem* BMenu::FindItem(const char* label) const {
    if (label == nullptr)
        return nullptr;
    for (const auto& item : fItems) {
        if (!item->IsSeparator() && std::strcmp(item->Label(), label) == 0)
            return item.get();
        if (BMenu* submenu = item->Submenu())
            if (BMenuItem* found = submenu->FindItem(label))
                return found;
    }
    return nullptr;
}

BMenuItem* BMenu::FindItem(uint32 command) const {
    for (const auto& item : fItems) {
        if (item->Message() != nullptr && item->Command() == command)
            return item.get();
        if (BMenu* submenu = item->Submenu())
            if (BMenuItem* found = submenu->FindItem(command))
                return found;
    }
    return nullptr;
}

BMenuItem* BMenu::FindMarked() const {
    for (const auto& item : fItems)
        if (item->IsMarked())
            return item.get();
    return nullptr;
}

void BMenu::SetLabelFromMarked(bool on) {
    fLabelFromMarked = on;
    if (on)
        fRadioMode = true;
    ItemChanged(nullptr);
}

void BMenu::SetOwner(BView* owner) {
    fOwner = owner;
    for (const auto& item : fItems)
        if (BMenu* submenu = item->Submenu())
            submenu->SetOwner(owner);
}

BView* BMenu::Owner() const {
    if (fOwner != nullptr)
        return fOwner;
    return fSuper != nullptr ? fSuper->Owner() : nullptr;
}

BWindow* BMenu::Window() const {
    BView* owner = Owner();
    return owner != nullptr ? owner->Window() : nullptr;
}

seam::MenuShape BMenu::Shape() const {
    seam::MenuShape shape;
    shape.id = fToken;
    shape.label = fName;
    shape.radio = fRadioMode;
    for (const auto& item : fItems) {
        seam::MenuItemShape itemShape;
        itemShape.id = item->Token();
        itemShape.label = item->Label();
        itemShape.separator = item->IsSeparator();
        itemShape.enabled = item->IsEnabled();
        itemShape.marked = item->IsMarked();
        shape.items.push_back(itemShape);
    }
    return shape;
}

BMenuItem* BMenu::FindItemByToken(uint64 token) const {
    for (const auto& item : fItems) {
        if (item->Token() == token)
            return item.get();
        if (BMenu* submenu = item->Submenu())
            if (BMenuItem* found = submenu->FindItemByToken(token))
                return found;
    }
    return nullptr;
}

void BMenu::ItemChanged(BMenuItem* item) {
    // In radio mode, marking one item unmarks the others.
    if (fRadioMode && item != nullptr && item->IsMarked())
        for (const auto& other : fItems)
            if (other.get() != item && other->fMarked)
                other->fMarked = false;
    if (auto* owner = dynamic_cast<kit_private::MenuOwner*>(Owner()))
        owner->MenuChanged();
}
