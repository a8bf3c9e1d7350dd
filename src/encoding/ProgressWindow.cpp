#include "encoding/ProgressWindow.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include "app/MFApp.h"
#include "encoding/ProgressRow.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BAutolock.h>
#include <kit/app/BMessageRunner.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BScrollView.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BStringView.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The wake-up that lets a held figure through.
constexpr uint32 kShowHeld = four_cc("PRSH");
constexpr auto kInterval = std::chrono::milliseconds(100);

// The task bar knows the program by its desktop entry, named after its
// signature, and hears from it at a path of its own.
const char* DesktopId() {
    return kAppSignature + std::strlen("application/");
}
constexpr const char* kObjectPath = "/org/example/mirvex/OggVorbisFrontend";

// A window with rows is wider than the single file's, so that a row holds a
// name, a bar and its button.
constexpr float kRowsWidth = 420;

} // namespace

ProgressWindow::ProgressWindow(BWindow* parent, UpdateThrottle::Now now)
    : BWindow(BRect(0, 0, 1, 1), "Fortschritt der Kodierung", B_FLOATING_WINDOW_LOOK,
              B_MODAL_APP_WINDOW_FEEL,
              B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE |
                  B_ASYNCHRONOUS_CONTROLS,
              B_CURRENT_WORKSPACE),
      fThrottle(kInterval, std::move(now)), fTaskBar(DesktopId(), kObjectPath), fParent(parent) {
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
    ResizeButtonToFit(skipButton);
    backView->AddChild(skipButton);

    const float r5 = skipButton->Frame().right;
    stopButton = new BButton(BRect(r5 + 5, b4 + 6, r5 + 81, b4 + 32), "StopEncoding",
                             "Kodieren abbrechen", new BMessage(cmd::STOP),
                             B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    stopButton->SetTarget(parent);
    ResizeButtonToFit(stopButton);
    backView->AddChild(stopButton);

    // The bar spans the width of the lines above it, one gap below the
    // buttons, as high as the style draws a bar.
    const float b5 = std::max(skipButton->Frame().bottom, stopButton->Frame().bottom);
    fileProgress = new BStatusBar(BRect(5, b5 + 6, 335, b5 + 20), "FileProgress",
                                  "Fortschritt der Datei", B_FOLLOW_LEFT | B_FOLLOW_TOP);
    fileProgress->ResizeToPreferred();
    backView->AddChild(fileProgress);

    // The window grows by the bar and the gap above it; should the font be so
    // small that the design's height leaves no margin below, the bar keeps
    // the margin it has at the left.
    const float h2 = nowEncoding->Frame().Height();
    const float h5 = skipButton->Frame().Height();
    const float grown = 3 * (h2 + 1) + 25 + h5 + (fileProgress->Frame().bottom - b5);
    ResizeTo(340, std::max(grown, fileProgress->Frame().bottom + 5));
    fStopFrame = stopButton->Frame();
    fSingleBounds = Bounds();
}

ProgressWindow::~ProgressWindow() {
    // The views of the layout not in use are in no view, and so ours: the
    // rows not shown first, since the others go with the view that holds
    // them.
    for (ProgressRow* row : fRows)
        if (row->Parent() == nullptr)
            delete row;
    for (BView* view : {static_cast<BView*>(fileName), static_cast<BView*>(fileNumber),
                        static_cast<BView*>(skipButton), static_cast<BView*>(fileProgress),
                        static_cast<BView*>(rowsScroll), static_cast<BView*>(runTotal),
                        static_cast<BView*>(runProgress)})
        if (view != nullptr && view->Parent() == nullptr)
            delete view;
}

void ProgressWindow::MessageReceived(BMessage* message) {
    switch (message->what) {
    case kShowHeld:
        ShowHeld();
        break;
    case B_CHILD_OUTPUT:
        TakeChildOutput(message);
        break;
    default:
        BWindow::MessageReceived(message);
    }
}

void ProgressWindow::StartFile(int32 index, int32 count, team_id team, int64 launch) {
    fIndex = index;
    fCount = count;
    fTeam = team;
    fLaunch = launch;
    fProgress.Reset();
    Changed();
}

void ProgressWindow::TakeOutput(team_id team, int64 launch, const char* text) {
    if (fPlaces > 1) {
        for (ProgressRow* row : fRows)
            if (row->Take(team, launch, text))
                Changed();
        return;
    }
    if (team != fTeam || launch != fLaunch || text == nullptr)
        return;
    if (fProgress.Feed(text))
        Changed();
}

void ProgressWindow::TakeChildOutput(const BMessage* message) {
    team_id team = -1;
    int64 launch = 0;
    const char* text = nullptr;
    if (message->FindInt32("be:team", &team) == B_OK &&
        message->FindInt64("kit:launch", &launch) == B_OK &&
        message->FindString("kit:text", &text) == B_OK)
        TakeOutput(team, launch, text);
}

void ProgressWindow::EndRun() {
    // Whatever is held is not worth showing any more; the task bar is
    // cleared at once, whatever the throttle says. The ended encoder is
    // forgotten: what its pipe still gives after its quit notice must not
    // reach the bar, or the next run's first file would start on its figure
    // instead of busy.
    fTeam = -1;
    fLaunch = 0;
    fProgress.Reset();
    for (ProgressRow* row : fRows)
        row->Free();
    fDone = 0;
    fThrottle.Reset();
    fTaskBar.Clear();
}

void ProgressWindow::ShowFile(const char* path, int32 number, int32 count) {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    // The name shows in the form a command line would give it, in double
    // quotes when it holds a blank; the encoder gets it unquoted, as one
    // argument of its own.
    std::string shown = path;
    if (std::strchr(path, ' ') != nullptr)
        shown = "\"" + shown + "\"";
    // Room for both numbers at any size an int32 takes.
    char counter[48];
    std::snprintf(counter, sizeof counter, "Datei %d von %d", static_cast<int>(number),
                  static_cast<int>(count));
    fileName->SetText(shown.c_str());
    fileNumber->SetText(counter);
    SetStoppable(true);
}

void ProgressWindow::SetStoppable(bool stoppable) {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    skipButton->SetEnabled(stoppable);
    stopButton->SetEnabled(stoppable);
}

void ProgressWindow::Dismiss() {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    EndRun();
    Hide();
}

void ProgressWindow::Changed() {
    Act(fThrottle.Offer());
}

void ProgressWindow::ShowHeld() {
    Act(fThrottle.Wake());
}

void ProgressWindow::Act(UpdateThrottle::Verdict verdict) {
    switch (verdict) {
    case UpdateThrottle::Verdict::Show:
        Present();
        break;
    case UpdateThrottle::Verdict::Wake: {
        // The runner asked for before has sent its wake-up already: the
        // throttle asks for one only when none is on its way.
        const BMessage wake(kShowHeld);
        const auto wait = std::chrono::ceil<std::chrono::microseconds>(fThrottle.Wait());
        fWake = std::make_unique<BMessageRunner>(BMessenger(this), &wake,
                                                 std::max<bigtime_t>(wait.count(), 1), 1);
        break;
    }
    case UpdateThrottle::Verdict::Hold:
        break;
    }
}

void ProgressWindow::Present() {
    if (fPlaces > 1) {
        PresentRows();
        return;
    }
    const std::optional<double> fraction = fProgress.Fraction();
    ProgressRow::ShowShare(fileProgress, fraction);
    if (fCount > 0)
        fTaskBar.Show((fIndex + fraction.value_or(0)) / fCount, fCount - fIndex);
}

ProgressRow* ProgressWindow::RowAt(int32 row) const {
    return row >= 0 && row < CountRows() ? fRows[size_t(row)] : nullptr;
}

void ProgressWindow::ShowFile(int32 row, const char* path, int32 number, int32 count) {
    if (fPlaces <= 1) {
        ShowFile(path, number, count);
        return;
    }
    if (ProgressRow* shown = RowAt(row)) {
        shown->Begin(path);
        fCount = count;
        Changed();
    }
}

void ProgressWindow::StartFile(int32 row, int32 index, int32 count, team_id team, int64 launch) {
    if (fPlaces <= 1) {
        StartFile(index, count, team, launch);
        return;
    }
    if (ProgressRow* started = RowAt(row)) {
        started->Started(team, launch);
        fCount = count;
        Changed();
    }
}

void ProgressWindow::SkipRow(int32 row) {
    if (fPlaces <= 1) {
        SetStoppable(false);
        return;
    }
    BAutolock lock(this);
    if (ProgressRow* skipped = RowAt(row); lock.IsLocked() && skipped != nullptr)
        skipped->Skipping();
}

void ProgressWindow::EndRow(int32 row, int32 done, int32 count) {
    // With one place the next file's steps say all there is to say.
    if (fPlaces <= 1)
        return;
    if (ProgressRow* ended = RowAt(row))
        ended->Free();
    fDone = done;
    fCount = count;
    Changed();
}

void ProgressWindow::UseRows(int32 places) {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    places = std::max(places, int32(1));
    if (places > 1)
        MakeRows(places);
    if ((places > 1) != (fPlaces > 1))
        ShowSingleViews(places <= 1);
    fPlaces = places;
    fDone = 0;
    fCount = 0;
    if (places > 1) {
        ArrangeRows();
    } else {
        stopButton->MoveTo(fStopFrame.LeftTop());
        ResizeTo(fSingleBounds.Width(), fSingleBounds.Height());
    }
}

void ProgressWindow::MakeRows(int32 places) {
    const float width = kRowsWidth - 10 - B_V_SCROLL_BAR_WIDTH - 4;
    if (rowsScroll == nullptr) {
        fRowsView = new BView(BRect(0, 0, width, ProgressRow::Height() - 1), "EncoderRows",
                              B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
        fRowsView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
        rowsScroll = new BScrollView("EncoderRowsScroll", fRowsView, B_FOLLOW_LEFT | B_FOLLOW_TOP,
                                     0, false, true, B_FANCY_BORDER);
        runTotal = new BStringView(BRect(5, 0, kRowsWidth - 6, 15), "RunTotal", "#",
                                   B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
        runProgress = new BStatusBar(BRect(5, 0, kRowsWidth - 6, 14), "RunProgress",
                                     "Fortschritt der Kodierung", B_FOLLOW_LEFT | B_FOLLOW_TOP);
        runProgress->ResizeToPreferred();
    }
    fRowHeight = ProgressRow::Height();
    while (CountRows() < places)
        fRows.push_back(new ProgressRow(0, width, CountRows() + 1, fParent));
}

void ProgressWindow::ShowSingleViews(bool single) {
    BView* singleViews[] = {fileName, fileNumber, skipButton, fileProgress};
    if (single) {
        backView->RemoveChild(rowsScroll);
        backView->RemoveChild(runTotal);
        backView->RemoveChild(runProgress);
        // Back in their own order, around the stop button.
        backView->AddChild(fileName, stopButton);
        backView->AddChild(fileNumber, stopButton);
        backView->AddChild(skipButton, stopButton);
        backView->AddChild(fileProgress);
        return;
    }
    for (BView* view : singleViews)
        backView->RemoveChild(view);
    backView->AddChild(rowsScroll, stopButton);
    backView->AddChild(runTotal, stopButton);
    backView->AddChild(runProgress, stopButton);
}

void ProgressWindow::ArrangeRows() {
    const float height = fRowHeight;
    int32 inUse = 0;
    for (ProgressRow* row : fRows) {
        if (!row->InUse()) {
            row->RemoveSelf();
            continue;
        }
        row->MoveTo(0, inUse * height);
        if (row->Parent() == nullptr)
            fRowsView->AddChild(row);
        ++inUse;
    }
    const float rowsWidth = fRowsView->Frame().Width();
    fRowsView->ResizeTo(rowsWidth, std::max(int32(1), inUse) * height - 1);
    const int32 inSight = std::clamp(inUse, int32(1), kRowsInSight);
    const float border = fRowsView->Frame().left;
    rowsScroll->ResizeTo(rowsScroll->Frame().Width(), inSight * height - 1 + 2 * border);

    BView* label = backView->ChildAt(0);
    const float top = label->Frame().bottom + 6;
    rowsScroll->MoveTo(5, top);
    runTotal->MoveTo(5, rowsScroll->Frame().bottom + 6);
    runProgress->MoveTo(5, runTotal->Frame().bottom + 4);
    stopButton->MoveTo(5, runProgress->Frame().bottom + 8);
    ResizeTo(kRowsWidth - 1, stopButton->Frame().bottom + 6);
}

void ProgressWindow::PresentRows() {
    double share = fDone;
    for (ProgressRow* row : fRows)
        if (row->InUse()) {
            row->Present();
            share += row->Fraction().value_or(0);
        }
    ArrangeRows();
    char total[64];
    std::snprintf(total, sizeof total, "%d von %d Dateien fertig", static_cast<int>(fDone),
                  static_cast<int>(fCount));
    runTotal->SetText(total);
    if (fCount > 0) {
        runProgress->SetTo(float(std::min(1.0, share / fCount) * runProgress->MaxValue()));
        fTaskBar.Show(std::min(1.0, share / fCount), fCount - fDone);
    } else {
        runProgress->Reset();
    }
}
