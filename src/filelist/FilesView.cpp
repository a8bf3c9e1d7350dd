#include "filelist/FilesView.h"

#include "app/Commands.h"
#include "filelist/FilesList.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BScrollView.h>
#include <kit/storage/BFilePanel.h>

FilesView::FilesView(BRect frame, BButton* encodeButton, MainWindow* window)
    : BView(frame, "Dateien", B_FOLLOW_NONE, 0) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));

    addPanel = new BFilePanel(B_OPEN_PANEL, nullptr, nullptr, B_FILE_NODE, true, nullptr, nullptr,
                              true, true);
    addPanel->Window()->SetTitle("Dateien hinzfügen");
    addPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Hinzufügen");

    // The buttons stand in a row below the list; each takes the size its
    // label needs, keeping its left and top edges.
    const float right = Bounds().right;
    const float bottom = Bounds().bottom;

    removeButton =
        new BButton(BRect(right - 74, bottom - 24, right, bottom), "RemoveFiles", "Entfernen",
                    new BMessage(cmd::REMV), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
    removeButton->ResizeToPreferred();
    removeButton->SetEnabled(false);
    AddChild(removeButton);

    addButton =
        new BButton(BRect(right - 153, bottom - 24, right, bottom), "AddFiles", "Hinzufügen...",
                    new BMessage(cmd::ADDF), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
    addButton->ResizeToPreferred();
    AddChild(addButton);

    upButton = new BButton(BRect(-1, bottom - 24, right, bottom), "MoveUp", "Nach oben schieben",
                           new BMessage(cmd::MVUP), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
    upButton->ResizeToPreferred();
    upButton->SetEnabled(false);
    AddChild(upButton);

    downButton = new BButton(BRect(upButton->Frame().right + 5, bottom - 24, right, bottom),
                             "MoveDown", "Nach unten schieben", new BMessage(cmd::MVDN),
                             B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
    downButton->ResizeToPreferred();
    downButton->SetEnabled(false);
    AddChild(downButton);

    // Room for the scroll bar on the right and for the row of buttons below.
    BRect listFrame = Bounds();
    listFrame.InsetBy(2, 2);
    listFrame.right -= 14;
    listFrame.bottom -= 29;
    filesList = new FilesList(listFrame, window);
    filesList->removeButton = removeButton;
    filesList->upButton = upButton;
    filesList->downButton = downButton;
    filesList->encodeButton = encodeButton;

    scrollView = new BScrollView("FilesScroll", filesList, B_FOLLOW_ALL_SIDES, B_WILL_DRAW, false,
                                 true, B_FANCY_BORDER);
    AddChild(scrollView);
}

FilesView::~FilesView() {
    delete addPanel;
}
