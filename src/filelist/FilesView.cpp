#include "filelist/FilesView.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include "filelist/FilesList.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BScrollView.h>
#include <kit/storage/BFilePanel.h>

namespace {

// The row's arithmetic: buttons 5 apart, each in its slot or wider.
constexpr float kGap = 5;

// The labels, shared by the buttons and the row's measure.
constexpr const char* kRemoveLabel = "Entfernen";
constexpr const char* kAddLabel = "Hinzufügen...";
constexpr const char* kUpLabel = "Nach oben schieben";
constexpr const char* kDownLabel = "Nach unten schieben";

} // namespace

FilesView::FilesView(BRect frame, BButton* encodeButton, MainWindow* window)
    : BView(frame, "Dateien", B_FOLLOW_NONE, 0), fEncodeButton(encodeButton) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));

    addPanel = new BFilePanel(B_OPEN_PANEL, nullptr, nullptr, B_FILE_NODE, true, nullptr, nullptr,
                              true, true);
    addPanel->Window()->SetTitle("Dateien hinzfügen");
    addPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Hinzufügen");
    // Every file stays choosable, as the encoder decides what it can read;
    // the audio files it knows can be picked out.
    addPanel->SetNameFilters(
        {"Alle Dateien (*)", "Audiodateien (*.wav *.aif *.aiff *.aifc *.flac *.raw)"});

    // The buttons stand in a row below the list; each takes the size its
    // label needs, keeping its left and top edges. The two on the right keep
    // their places while their labels fit the layout's slots; a longer label
    // moves its button left by what it needs more, so that it never covers
    // its neighbour.
    const float right = Bounds().right;
    const float bottom = Bounds().bottom;

    removeButton =
        new BButton(BRect(right - 74, bottom - 24, right, bottom), "RemoveFiles", kRemoveLabel,
                    new BMessage(cmd::REMV), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
    ResizeButtonToFit(removeButton);
    removeButton->MoveTo(right - removeButton->Frame().Width(), bottom - 24);
    removeButton->SetEnabled(false);
    AddChild(removeButton);

    addButton = new BButton(BRect(right - 153, bottom - 24, right, bottom), "AddFiles", kAddLabel,
                            new BMessage(cmd::ADDF), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
    ResizeButtonToFit(addButton);
    addButton->MoveTo(removeButton->Frame().left - kGap - addButton->Frame().Width(), bottom - 24);
    AddChild(addButton);

    // The row starts at the page's left edge: a button one pixel further
    // left, as the layout once had it, loses its frame's left line under
    // the page's edge.
    upButton = new BButton(BRect(0, bottom - 24, right, bottom), "MoveUp", kUpLabel,
                           new BMessage(cmd::MVUP), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
    ResizeButtonToFit(upButton);
    upButton->SetEnabled(false);
    AddChild(upButton);

    downButton =
        new BButton(BRect(upButton->Frame().right + kGap, bottom - 24, right, bottom), "MoveDown",
                    kDownLabel, new BMessage(cmd::MVDN), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
    ResizeButtonToFit(downButton);
    downButton->SetEnabled(false);
    AddChild(downButton);

    // Room for the scroll bar on the right and for the row of buttons below.
    BRect listFrame = Bounds();
    listFrame.InsetBy(2, 2);
    listFrame.right -= 14;
    listFrame.bottom -= 29;
    filesList = new FilesList(listFrame, window);
    filesList->page = this;
    filesList->removeButton = removeButton;
    filesList->upButton = upButton;
    filesList->downButton = downButton;
    filesList->encodeButton = encodeButton;

    // A reader names the list by what it holds, not by the view's name.
    filesList->SetAccessibleLabel("Dateiliste");
    scrollView = new BScrollView("FilesScroll", filesList, B_FOLLOW_ALL_SIDES, B_WILL_DRAW, false,
                                 true, B_FANCY_BORDER);
    AddChild(scrollView);
}

float FilesView::RowWidth() {
    // From the left: "Nach oben schieben" at 0, "Nach unten schieben" 5 to
    // its right, then a gap of 5 before the two slots on the right.
    const float moveButtons = ButtonWidthFor(kUpLabel) + kGap + ButtonWidthFor(kDownLabel);
    return moveButtons + kGap + ButtonWidthFor(kAddLabel) + kGap + ButtonWidthFor(kRemoveLabel);
}

void FilesView::ListSelectionChanged(int32 first, bool single, int32 count) {
    // Each button is set every time, whatever its state was.
    removeButton->SetEnabled(first != -1);
    upButton->SetEnabled(single && first > 0);
    downButton->SetEnabled(single && first < count - 1);
}

void FilesView::ListFilled(bool filled) {
    if (fEncodeButton != nullptr)
        fEncodeButton->SetEnabled(filled);
}

void FilesView::ShowAddPanel(bool stayOpen) {
    addPanel->SetHideWhenDone(!stayOpen);
    addPanel->SetButtonLabel(B_CANCEL_BUTTON, stayOpen ? "Schließen" : "Abbrechen");
    addPanel->Show();
}

FilesView::~FilesView() {
    delete addPanel;
}
