#include <kit/interface/BMenuBar.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/BMenuItem.h>
#include <kit/interface/BWindow.h>
#include <kit/interface/private/InterfacePrivate.h>

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
                   bool resizeToFit)
    : BView(frame, name, resizingMode, B_WILL_DRAW), fLayout(layout), fResizeToFit(resizeToFit) {}

BMenuBar::~BMenuBar() = default;

bool BMenuBar::AddItem(BMenu* menu) {
    if (menu == nullptr)
        return false;
    fMenus.emplace_back(menu);
    menu->SetOwner(this);
    MenuChanged();
    return true;
}

BMenu* BMenuBar::SubmenuAt(int32 index) const {
    if (index < 0 || index >= CountItems())
        return nullptr;
    return fMenus[static_cast<size_t>(index)].get();
}

BMenuItem* BMenuBar::FindItem(const char* label) const {
    for (const auto& menu : fMenus)
        if (BMenuItem* item = menu->FindItem(label))
            return item;
    return nullptr;
}

void BMenuBar::GetPreferredSize(float* width, float* height) {
    if (width != nullptr)
        *width = Frame().Width();
    if (height != nullptr)
        *height = seam::Need().MenuBarHeight() - 1;
}

void BMenuBar::AttachedToWindow() {
    if (fResizeToFit) {
        float height = 0;
        GetPreferredSize(nullptr, &height);
        ResizeTo(Window()->Bounds().Width(), height);
    }
}

std::vector<seam::MenuShape> BMenuBar::Shapes() const {
    std::vector<seam::MenuShape> shapes;
    for (const auto& menu : fMenus)
        shapes.push_back(menu->Shape());
    return shapes;
}

seam::Look BMenuBar::WidgetLook() const {
    return seam::MenuBarShape{Shapes()};
}

void BMenuBar::MenuChanged() {
    kit_private::ViewAccess::QueueLook(this);
}

void BMenuBar::HandleDisplayEvent(BMessage* message) {
    int64 token = 0;
    if (message->what != kit_private::kMenuItemChosen || message->FindInt64("item", &token) != B_OK)
        return;
    for (const auto& menu : fMenus) {
        BMenuItem* item = menu->FindItemByToken(static_cast<uint64>(token));
        if (item == nullptr)
            continue;
        if (item->IsEnabled() && !item->IsSeparator() && item->Submenu() == nullptr) {
            if (item->Menu() != nullptr && item->Menu()->IsRadioMode())
                item->SetMarked(true);
            item->Invoke();
        }
        return;
    }
}
