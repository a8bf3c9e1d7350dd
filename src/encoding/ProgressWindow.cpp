#include "encoding/ProgressWindow.h"

#include "app/Commands.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BStringView.h>

ProgressWindow::ProgressWindow(BWindow* parent)
    : BWindow(BRect(0, 0, 1, 1), "Fortschritt der Kodierung", B_FLOATING_WINDOW_LOOK,
              B_MODAL_APP_WINDOW_FEEL,
              B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE |
                  B_ASYNCHRONOUS_CONTROLS,
              B_CURRENT_WORKSPACE) {
    // The background starts as small as the window and follows it when the
    // window takes its final size at the end.
    backView = new BView(Bounds(), "BackView", B_FOLLOW_ALL, 0);
    backView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    AddChild(backView);

    auto* nowEncoding = new BStringView(
        BRect(5, 5, 335, 6), "NowEncoding",
        "Bitte warten während der Kodierung von:", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    nowEncoding->ResizeToPreferred();
    backView->AddChild(nowEncoding);

    // The file's name and the counter keep fixed frames: a long name is cut
    // off at the right edge.
    const float b2 = nowEncoding->Frame().bottom;
    fileName = new BStringView(BRect(5, b2 + 6, 335, b2 + 21), "FileName", "#",
                               B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    backView->AddChild(fileName);

    const float b3 = fileName->Frame().bottom;
    fileNumber = new BStringView(BRect(5, b3 + 6, 335, b3 + 21), "FileNumber", "#",
                                 B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    backView->AddChild(fileNumber);

    const float b4 = fileNumber->Frame().bottom;
    skipButton = new BButton(BRect(5, b4 + 6, 80, b4 + 32), "SkipFile", "Datei auslassen",
                             new BMessage(cmd::SKIP), B_FOLLOW_LEFT | B_FOLLOW_TOP,
                             B_WILL_DRAW | B_NAVIGABLE);
    skipButton->SetTarget(parent);
    skipButton->ResizeToPreferred();
    backView->AddChild(skipButton);

    const float r5 = skipButton->Frame().right;
    stopButton = new BButton(BRect(r5 + 5, b4 + 6, r5 + 81, b4 + 32), "StopEncoding",
                             "Kodieren abbrechen", new BMessage(cmd::STOP),
                             B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    stopButton->SetTarget(parent);
    stopButton->ResizeToPreferred();
    backView->AddChild(stopButton);

    const float h2 = nowEncoding->Frame().Height();
    const float h5 = skipButton->Frame().Height();
    ResizeTo(340, 3 * (h2 + 1) + 25 + h5);
}
