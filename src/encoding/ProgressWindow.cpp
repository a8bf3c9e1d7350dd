#include "encoding/ProgressWindow.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include "app/MFApp.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BAutolock.h>
#include <kit/app/BMessageRunner.h>
#include <kit/interface/BButton.h>
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

} // namespace

ProgressWindow::ProgressWindow(BWindow* parent, UpdateThrottle::Now now)
    : BWindow(BRect(0, 0, 1, 1), "Fortschritt der Kodierung", B_FLOATING_WINDOW_LOOK,
              B_MODAL_APP_WINDOW_FEEL,
              B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE |
                  B_ASYNCHRONOUS_CONTROLS,
              B_CURRENT_WORKSPACE),
      fThrottle(kInterval, std::move(now)), fTaskBar(DesktopId(), kObjectPath) {
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
}

ProgressWindow::~ProgressWindow() = default;

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
    const std::optional<double> fraction = fProgress.Fraction();
    if (fraction) {
        fileProgress->SetTo(float(*fraction * fileProgress->MaxValue()));
    } else {
        fileProgress->Reset();
        fileProgress->SetBusy(true);
    }
    if (fCount > 0)
        fTaskBar.Show((fIndex + fraction.value_or(0)) / fCount, fCount - fIndex);
}
