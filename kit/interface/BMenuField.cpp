#include <kit/interface/BMenuField.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/BMenuItem.h>
#include <kit/interface/private/InterfacePrivate.h>

#include <algorithm>

namespace {
// Room between the label and the menu's button when the field sizes itself.
constexpr float kLabelGap = 6;
} // namespace

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
                       uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), fLabel(label ? label : ""), fMenu(menu),
      fDivider(fLabel.empty() ? 0 : frame.Width() / 2) {
    if (fMenu)
        fMenu->SetOwner(this);
}

BMenuField::~BMenuField() = default;

void BMenuField::SetDivider(float divider) {
    fDivider = divider;
    kit_private::ViewAccess::QueueLook(this);
}

void BMenuField::SetEnabled(bool enabled) {
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    kit_private::ViewAccess::Queue(this, seam::ViewEnabled{Token(), fEnabled});
}

std::string BMenuField::ButtonLabel() const {
    if (!fMenu)
        return {};
    if (fMenu->IsLabelFromMarked())
        if (BMenuItem* marked = fMenu->FindMarked())
            return marked->Label();
    return fMenu->Name();
}

void BMenuField::GetPreferredSize(float* width, float* height) {
    std::vector<std::string> labels;
    if (fMenu)
        for (int32 i = 0; i < fMenu->CountItems(); ++i)
            if (!fMenu->ItemAt(i)->IsSeparator())
                labels.push_back(fMenu->ItemAt(i)->Label());
    labels.push_back(ButtonLabel());
    seam::Size button = seam::Need().PreferredMenuButtonSize(labels);
    float column = fLabel.empty() ? 0 : seam::Need().LabelWidth(fLabel) + kLabelGap;
    column = std::max(column, fDivider);
    if (width != nullptr)
        *width = column + button.width - 1;
    if (height != nullptr)
        *height = button.height - 1;
}

seam::Look BMenuField::WidgetLook() const {
    seam::MenuFieldShape shape{fLabel, fDivider, {}, ButtonLabel()};
    if (fMenu)
        shape.menu = fMenu->Shape();
    return shape;
}

void BMenuField::MenuChanged() {
    kit_private::ViewAccess::QueueLook(this);
}

void BMenuField::HandleDisplayEvent(BMessage* message) {
    int64 token = 0;
    if (message->what != kit_private::kMenuItemChosen || !fEnabled || !fMenu ||
        message->FindInt64("item", &token) != B_OK)
        return;
    BMenuItem* item = fMenu->FindItemByToken(static_cast<uint64>(token));
    if (item == nullptr || !item->IsEnabled() || item->IsSeparator() || item->Submenu() != nullptr)
        return;
    if (item->Menu()->IsRadioMode())
        item->SetMarked(true);
    // Items without a message only mark themselves.
    if (item->Message() != nullptr)
        item->Invoke();
}
