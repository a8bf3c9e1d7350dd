#include "encoding/EncoderView.h"

#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuField.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BTextControl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The longest extra parameters the field takes, in bytes.
constexpr int32 kExtraParamBytes = 128;

constexpr const char* kExtraParamLabel = "Zusätzliche Parameter:";
// The designed width of the extra parameters' label column.
constexpr float kExtraParamDivider = 115;

} // namespace

EncoderView::EncoderView(BRect frame)
    : BView(frame, "Oggenc-Optionen", B_FOLLOW_NONE, 0), bitrates{112, 128, 160, 192, 256, 350} {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    const float R = Bounds().right;

    // Item 0 is "Standard", item 1 the separator, so that item i stands for
    // bitrates[i - 2]. Choosing an item only marks it; the choice is read
    // when a run starts.
    bitrateMenu = new BMenu("Bitrate", B_ITEMS_IN_COLUMN);
    bitrateMenu->AddItem(new BMenuItem("Standard", nullptr));
    bitrateMenu->AddSeparatorItem();
    for (int32 bitrate : bitrates) {
        char label[32];
        std::snprintf(label, sizeof label, "%d kbps", static_cast<int>(bitrate));
        bitrateMenu->AddItem(new BMenuItem(label, nullptr));
    }
    bitrateMenu->ItemAt(0)->SetMarked(true);
    bitrateMenu->SetRadioMode(true);
    bitrateMenu->SetTriggersEnabled(false);
    bitrateMenu->SetLabelFromMarked(true);

    bitrateField =
        new BMenuField(BRect(0, 0, R, 20), "BitrateField", "Bitrate (ungefähr):", bitrateMenu,
                       B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    bitrateField->ResizeToPreferred();
    bitrateField->SetDivider(117);

    const float top = bitrateField->Frame().bottom + 6;
    extraParam =
        new BTextControl(BRect(0, top, R, top + 20), "ExtraParam", kExtraParamLabel, "", nullptr,
                         B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    extraParam->ResizeToPreferred();
    // The label's column is 115 wide, or as wide as the label needs at the
    // desktop's font; the field then starts that much further right and
    // narrows by as much, so that its right edge stays.
    const float divider =
        std::max(kExtraParamDivider, std::ceil(extraParam->StringWidth(kExtraParamLabel)));
    extraParam->SetDivider(divider);
    extraParam->ResizeTo(R, extraParam->Frame().Height());
    extraParam->TextView()->ResizeTo(R - 124 - (divider - kExtraParamDivider),
                                     extraParam->TextView()->Frame().Height());
    extraParam->TextView()->SetMaxBytes(kExtraParamBytes);

    AddChild(bitrateField);
    AddChild(extraParam);
}

EncoderView::~EncoderView() = default;

void EncoderView::OptionsBefore(char* buffer) {
    buffer[0] = '\0';
    const int32 marked = bitrateMenu->IndexOf(bitrateMenu->FindMarked());
    if (marked >= 2 && marked < 2 + static_cast<int32>(std::size(bitrates)))
        std::sprintf(buffer, "-b %d ", static_cast<int>(bitrates[marked - 2]));
    // The field holds at most 128 bytes, so with "-b 350 " and the blank the
    // buffer never needs more than 137 bytes.
    const char* extra = extraParam->Text();
    if (extra[0] != '\0') {
        std::strcat(buffer, extra);
        std::strcat(buffer, " ");
    }
    // Exactly one trailing blank goes: the one added above.
    if (const size_t length = std::strlen(buffer); length > 0)
        buffer[length - 1] = '\0';
}

void EncoderView::OptionsAfter(char* buffer) {
    buffer[0] = '\0';
}

void EncoderView::MessageReceived(BMessage*) {}
