#pragma once

// The small window that stands in front of the program while a run encodes:
// which file, "Datei %d von %d", the buttons to skip the file or stop the
// run, both aimed at the main window, and a bar that shows how far the
// encoder has come with the current file. The desktop's task bar shows the
// whole run's progress as well.
//
// A run with several encoders at once shows one row per encoder at work
// (ProgressRow) instead of the single file's views, below them a line that
// counts the files done with a bar for the whole run, and the one
// "Kodieren abbrechen". The rows are made once for the largest run so far
// and shown as they are needed; the window is as tall as the rows in use,
// up to kRowsInSight, and more rows scroll.
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
#include <vector>

class BButton;
class BMessageRunner;
class BScrollView;
class BStatusBar;
class BStringView;
class BView;
class ProgressRow;

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

    // The same steps for the run's rows, with this window locked: ShowFile
    // before the launch, StartFile once it succeeded, SkipRow when the row's
    // encoder is being skipped, EndRow when it has ended (done of count
    // entries are through). With one place, row is 0 and they are the
    // single file's steps above.
    static constexpr int32 kRowsInSight = 8;
    void ShowFile(int32 row, const char* path, int32 number, int32 count);
    void StartFile(int32 row, int32 index, int32 count, team_id team, int64 launch);
    void SkipRow(int32 row);
    void EndRow(int32 row, int32 done, int32 count);
    // Sets the window up for a run with at most places encoders at once:
    // the single file's views for one, rows for more. Takes this window's
    // lock itself; the window is hidden.
    void UseRows(int32 places);
    int32 CountRows() const { return static_cast<int32>(fRows.size()); }
    ProgressRow* RowAt(int32 row) const;

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
    // The views of a run with rows; null until the first such run.
    BScrollView* rowsScroll = nullptr;
    BStringView* runTotal = nullptr;
    BStatusBar* runProgress = nullptr;

private:
    // A B_CHILD_OUTPUT from the roster, for TakeOutput.
    void TakeChildOutput(const BMessage* message);
    // Asks to show what is known now, as the throttle allows.
    void Changed();
    void ShowHeld();
    void Act(UpdateThrottle::Verdict verdict);
    // Puts what is known on the bar and in the task bar.
    void Present();
    void PresentRows();
    // Builds the rows' views, and rows up to places.
    void MakeRows(int32 places);
    // Swaps the single file's views for the rows' or back.
    void ShowSingleViews(bool single);
    // Places the rows in use one below the other and sizes the window.
    void ArrangeRows();

    EncoderProgress fProgress;
    UpdateThrottle fThrottle;
    std::unique_ptr<BMessageRunner> fWake;
    TaskBarEntry fTaskBar;
    BWindow* fParent;
    int32 fIndex = 0;
    int32 fCount = 0;
    int32 fPlaces = 1;
    int32 fDone = 0;
    BView* fRowsView = nullptr;
    // Measured once per run with rows: it asks the display.
    float fRowHeight = 0;
    std::vector<ProgressRow*> fRows;
    // Where the single file's layout has the stop button, and its size.
    BRect fStopFrame;
    BRect fSingleBounds;
    team_id fTeam = -1;
    int64 fLaunch = 0;
};
