#pragma once

// The small window that stands in front of the program while a run encodes:
// which file, "Datei %d von %d", the buttons to skip the file or stop the
// run, both aimed at the main window, and a bar that shows how far the
// encoder has come with the current file. The desktop's task bar shows the
// whole run's progress as well.
//
// The bar follows the encoder's own figures, which come many times a second;
// they reach the screen and the task bar at most about ten times a second,
// and the last one is always shown: one that comes too soon waits for a
// wake-up on the window's own thread.

#include "encoding/EncoderProgress.h"
#include "encoding/UpdateThrottle.h"
#include <kit/app/TaskBarEntry.h>
#include <kit/interface/BWindow.h>
#include <kit/kernel/OS.h>

#include <memory>

class BButton;
class BMessageRunner;
class BStatusBar;
class BStringView;
class BView;

class ProgressWindow : public BWindow {
public:
    // Builds the window hidden; parent (the main window) receives "SKIP" and
    // "STOP". now is the throttle's clock (tests step their own). Thread:
    // the main window's builder.
    explicit ProgressWindow(BWindow* parent, UpdateThrottle::Now now = UpdateThrottle::Clock::now);
    ~ProgressWindow() override;

    // Thread: the window's.
    void MessageReceived(BMessage* message) override;

    // The run's steps, for the main window with this window locked (inside
    // the main window's lock). StartFile: the file at index (from 0) of
    // count is being encoded by the encoder with that process id and launch
    // number; the bar is busy until that encoder gives a figure. TakeOutput:
    // the next chunk of an encoder's standard error, taken only from the
    // encoder of the current file: a chunk that an earlier one wrote before
    // it ended may still come. EndRun: the run is over; the task bar forgets
    // it.
    void StartFile(int32 index, int32 count, team_id team, int64 launch);
    void TakeOutput(team_id team, int64 launch, const char* text);
    void EndRun();

    // What the main window tells this window; each takes this window's lock
    // itself (inside the main window's lock). ShowFile: the file at path is
    // the number-th of count, and it can be skipped or the run stopped.
    // SetStoppable: whether "Datei auslassen" and "Kodieren abbrechen" take
    // clicks. Dismiss: EndRun, then the window hides.
    void ShowFile(const char* path, int32 number, int32 count);
    void SetStoppable(bool stoppable);
    void Dismiss();

    BView* backView;
    BStringView* fileName;
    BStringView* fileNumber;
    BButton* skipButton;
    BButton* stopButton;
    BStatusBar* fileProgress;

private:
    // A B_CHILD_OUTPUT from the roster, for TakeOutput.
    void TakeChildOutput(const BMessage* message);
    // Asks to show what is known now, as the throttle allows.
    void Changed();
    void ShowHeld();
    void Act(UpdateThrottle::Verdict verdict);
    // Puts what is known on the bar and in the task bar.
    void Present();

    EncoderProgress fProgress;
    UpdateThrottle fThrottle;
    std::unique_ptr<BMessageRunner> fWake;
    TaskBarEntry fTaskBar;
    int32 fIndex = 0;
    int32 fCount = 0;
    team_id fTeam = -1;
    int64 fLaunch = 0;
};
