#include "mainwindow/OptionsView.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include "app/MFApp.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/BNumberControl.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BTextControl.h>
#include <kit/storage/BFilePanel.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

constexpr uint32 kControlFlags = B_WILL_DRAW | B_NAVIGABLE;
constexpr uint32 kTopLeft = B_FOLLOW_LEFT | B_FOLLOW_TOP;

// A check box of the page at its preferred size, 5 below the control above.
// A label too long for the page breaks into lines rather than run off it.
BCheckBox* MakeBox(float top, float right, const char* name, const char* label, uint32 command) {
    auto* box = new BCheckBox(BRect(0, top, 10, top + 10), name, label, new BMessage(command),
                              kTopLeft, kControlFlags);
    box->ResizeToPreferred();
    if (box->Frame().right > right) {
        float width = 0, height = 0;
        box->GetPreferredSizeWithin(right, &width, &height);
        box->ResizeTo(width, height);
    }
    return box;
}

} // namespace

OptionsView::OptionsView(BRect frame) : BView(frame, "Programm-Optionen", B_FOLLOW_NONE, 0) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    const float R = Bounds().right;

    // The panel lets links be chosen and hands them on as links: the path
    // stored is the link's own, so that a run follows whatever it points to
    // then.
    locationPanel = new BFilePanel(B_OPEN_PANEL, nullptr, nullptr, B_FILE_NODE | B_SYMLINK_NODE,
                                   false, new BMessage(cmd::LOGP), nullptr, true, true);
    locationPanel->Window()->SetTitle("Pfad suchen");
    locationPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Auswählen");
    locationPanel->SetButtonLabel(B_CANCEL_BUTTON, "Abbrechen");

    // The button keeps the width its label needs but the height of the line
    // beside it.
    locationButton =
        new BButton(BRect(R - 74, 0, R, 24), "SetEncoderLocation", "Suchen...",
                    new BMessage(cmd::LOCG), B_FOLLOW_TOP | B_FOLLOW_RIGHT, kControlFlags);
    ResizeButtonToFit(locationButton);
    locationButton->ResizeTo(locationButton->Frame().Width(), 20);
    AddChild(locationButton);

    locationControl = new BTextControl(BRect(0, 1, R, 2), "EncoderLocation", "Pfad zu Oggenc:", "",
                                       nullptr, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, kControlFlags);
    locationControl->SetModificationMessage(new BMessage(cmd::LOCM));
    locationControl->ResizeToPreferred();
    locationControl->SetDivider(115);
    locationControl->ResizeTo(R - 79, locationControl->Frame().Height());
    BTextView* line = locationControl->TextView();
    line->ResizeTo(R - 203, line->Frame().Height());
    line->SetMaxBytes(kMaxPathBytes);
    AddChild(locationControl);

    dontCloseOnAddBox = MakeBox(
        locationControl->Frame().bottom + 5, R, "DontCloseOnAdd",
        "\"Dateien hinzufügen\"-Dialog nach dem Hinzufügen von Dateien nicht schließen", cmd::DCOA);
    AddChild(dontCloseOnAddBox);
    dontClearOnOpenBox =
        MakeBox(dontCloseOnAddBox->Frame().bottom + 5, R, "DontClearOnOpen",
                "Aktuelle Liste beim Öffnen einer anderen Liste nicht löschen", cmd::DCOO);
    AddChild(dontClearOnOpenBox);
    selfRegisterBox = MakeBox(dontClearOnOpenBox->Frame().bottom + 5, R, "SelfRegisterMIMEType",
                              "MIME-Typ beim Start automatisch installieren", cmd::SRMT);
    AddChild(selfRegisterBox);

    // The two buttons for the list file type stand side by side, 4 apart,
    // indented under the boxes.
    const float top = selfRegisterBox->Frame().bottom + 5;
    auto* install = new BButton(BRect(19, top, 29, top + 10), "RegisterMIMETypeNow",
                                "MIME-Typ jetzt installieren", new BMessage(cmd::RMTN), kTopLeft,
                                kControlFlags);
    ResizeButtonToFit(install);
    AddChild(install);
    const float left = install->Frame().right + 4;
    auto* remove =
        new BButton(BRect(left, top, left + 10, top + 10), "UnregisterMIMETypeNow",
                    "MIME-Typ jetzt löschen", new BMessage(cmd::UMTN), kTopLeft, kControlFlags);
    ResizeButtonToFit(remove);
    AddChild(remove);

    // Under everything else, so that nothing above moves: how many encoders
    // a run keeps at work at once, with the machine's cores beside it as a
    // measure. The hint goes under the field when the page is too narrow.
    const float countTop = install->Frame().bottom + 10;
    encodersControl =
        new BNumberControl(BRect(0, countTop, 10, countTop + 10), "SimultaneousEncoders",
                           "Gleichzeitige Kodierungen:", new BMessage(cmd::SENC), 1,
                           kMaxSimultaneousEncoders, kTopLeft, kControlFlags);
    encodersControl->ResizeToPreferred();
    AddChild(encodersControl);
    coreCountView =
        new BStringView(BRect(0, 0, 10, 10), "CoreCount",
                        CoreCountHint(std::thread::hardware_concurrency()).c_str(), kTopLeft);
    coreCountView->ResizeToPreferred();
    const BRect field = encodersControl->Frame();
    const float hintWidth = coreCountView->Frame().Width();
    if (field.right + 8 + hintWidth <= R)
        coreCountView->MoveTo(
            field.right + 8,
            field.top + std::floor((field.Height() - coreCountView->Frame().Height()) / 2));
    else
        coreCountView->MoveTo(0, field.bottom + 5);
    AddChild(coreCountView);

    // The page is not in a window yet, so setting the values sends nothing.
    const MFApp* app = static_cast<MFApp*>(be_app);
    locationControl->SetText(app->encoderPath);
    dontCloseOnAddBox->SetValue(app->dontCloseOnAdd ? B_CONTROL_ON : B_CONTROL_OFF);
    dontClearOnOpenBox->SetValue(app->dontClearOnOpen ? B_CONTROL_ON : B_CONTROL_OFF);
    selfRegisterBox->SetValue(app->selfRegisterMimeType ? B_CONTROL_ON : B_CONTROL_OFF);
    encodersControl->SetValue(app->SimultaneousEncoders());
}

OptionsView::~OptionsView() {
    delete locationPanel;
}

std::string OptionsView::EncoderPath() const {
    return locationControl->Text();
}

void OptionsView::SetEncoderPath(const char* path) {
    locationControl->SetText(path);
}

void OptionsView::ShowEncoderPanel() {
    locationPanel->Show();
}

bool OptionsView::IsSwitchedOn(uint32 command) const {
    // Each box is known by the command it was built with, so that which
    // command belongs to which box is written in one place.
    for (const BCheckBox* box : {dontCloseOnAddBox, dontClearOnOpenBox, selfRegisterBox})
        if (box->Command() == command)
            return box->Value() == B_CONTROL_ON;
    return false;
}

int32 OptionsView::SimultaneousEncoders() const {
    return encodersControl->Value();
}

float OptionsView::NeededHeight() const {
    return std::max(encodersControl->Frame().bottom, coreCountView->Frame().bottom) + 5;
}

std::string OptionsView::CoreCountHint(unsigned cores) {
    if (cores == 0)
        return {};
    if (cores == 1)
        return "Dieser Rechner hat 1 Prozessorkern.";
    return "Dieser Rechner hat " + std::to_string(cores) + " Prozessorkerne.";
}
