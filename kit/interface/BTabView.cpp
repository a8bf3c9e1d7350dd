#include <kit/interface/BTabView.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/private/InterfacePrivate.h>

BTabView::BTabView(BRect frame, const char* name, button_width width, uint32 resizingMode,
                   uint32 flags)
    : BView(frame, name, resizingMode, flags), fTabWidth(width) {}

BTabView::~BTabView() = default;

void BTabView::AddTab(BView* page, BTab* tab) {
    if (page == nullptr)
        return;
    if (tab == nullptr)
        tab = new BTab;
    tab->fView = page;
    tab->fTabView = this;
    fTabs.emplace_back(tab);
    AddChild(page);
    if (fSelection < 0)
        fSelection = 0;
    TabsChanged();
}

BTab* BTabView::TabAt(int32 index) const {
    if (index < 0 || index >= CountTabs())
        return nullptr;
    return fTabs[static_cast<size_t>(index)].get();
}

BView* BTabView::ViewForTab(int32 index) const {
    BTab* tab = TabAt(index);
    return tab != nullptr ? tab->View() : nullptr;
}

void BTabView::Select(int32 index) {
    if (index < 0 || index >= CountTabs())
        return;
    fSelection = index;
    TabsChanged();
}

void BTabView::SetTabWidth(button_width width) {
    fTabWidth = width;
    TabsChanged();
}

float BTabView::TabHeight() const {
    return seam::Need().TabHeight();
}

void BTabView::AttachedToWindow() {
    TabsChanged();
}

seam::Look BTabView::WidgetLook() const {
    seam::TabViewShape shape;
    // Outside a window there is nothing to measure the row with, and nothing
    // that shows it.
    if (Window() == nullptr)
        return shape;
    for (const auto& tab : fTabs) {
        shape.labels.emplace_back(tab->Label());
        shape.pages.push_back(tab->View()->Token());
    }
    shape.selected = fSelection;
    shape.tabHeight = TabHeight();
    shape.sameWidth = fTabWidth == B_WIDTH_FROM_WIDEST;
    return shape;
}

void BTabView::HandleDisplayEvent(BMessage* message) {
    int32 index = -1;
    if (message->what == kit_private::kTabChosen && message->FindInt32("index", &index) == B_OK &&
        index != fSelection)
        Select(index);
}

void BTabView::TabsChanged() {
    kit_private::ViewAccess::QueueLook(this);
}
