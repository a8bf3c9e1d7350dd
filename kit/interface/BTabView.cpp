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

seam::ViewShape BTabView::WidgetShape() const {
    seam::ViewShape shape = kit_private::ViewAccess::ShapeOf<BView>(this);
    shape.kind = seam::Kind::TabView;
    return shape;
}

void BTabView::HandleDisplayEvent(BMessage* message) {
    int32 index = -1;
    if (message->what == kit_private::kTabChosen && message->FindInt32("index", &index) == B_OK &&
        index != fSelection)
        Select(index);
}

void BTabView::TabsChanged() {
    if (Window() == nullptr)
        return;
    std::vector<std::string> labels;
    std::vector<seam::WidgetId> pages;
    for (const auto& tab : fTabs) {
        labels.emplace_back(tab->Label());
        pages.push_back(tab->View()->Token());
    }
    kit_private::ViewAccess::Queue(this, seam::Tabs{Token(), std::move(labels), std::move(pages),
                                                    fSelection, TabHeight(),
                                                    fTabWidth == B_WIDTH_FROM_WIDEST});
}
