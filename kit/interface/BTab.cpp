#include <kit/interface/BTab.h>
#include <kit/interface/DisplaySeam.h>

#include <kit/interface/BTabView.h>

BTab::BTab(BView* view) : fView(view) {}

BTab::~BTab() = default;

const char* BTab::Label() const {
    if (fLabel.empty() && fView != nullptr)
        return fView->Name();
    return fLabel.c_str();
}

void BTab::SetLabel(const char* label) {
    fLabel = label ? label : "";
    if (fTabView != nullptr)
        fTabView->TabsChanged();
}

bool BTab::IsSelected() const {
    return fTabView != nullptr && fTabView->TabAt(fTabView->Selection()) == this;
}
