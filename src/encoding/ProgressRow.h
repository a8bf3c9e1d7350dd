#pragma once

// One encoder at work in a run with several: the name of its file, a bar
// from that encoder's own progress lines (busy while it gives none), and its
// own "Datei auslassen". The button's message names the encoder by its
// process id and launch number, so that a press that comes late never ends
// another encoder that was given the same process id since.
//
// The row takes each step at once but shows it only when the progress window
// shows what is known, at most about ten times a second: with short files
// the encoders change places far more often than anybody can read, and
// every change drawn takes the processor from them. The name, the button's
// encoder and the bar change together, so the button always skips the file
// the row shows; a press for an encoder that has ended meanwhile changes
// nothing.
//
// Thread: the progress window's lock holder.

#include "encoding/EncoderProgress.h"
#include <kit/interface/BView.h>
#include <kit/kernel/OS.h>

#include <optional>
#include <string>

class BButton;
class BStatusBar;
class BStringView;
class BWindow;

class ProgressRow : public BView {
public:
    // A row number wide (inclusive measure), placed at top; its button sends
    // "SKIP" to target. Thread: the progress window's builder.
    ProgressRow(float top, float width, int32 number, BWindow* target);

    // The row's height with the gap below it, the same for every row.
    // Thread: any; it asks the display.
    static float Height();
    // Puts a share done on a bar, or, without one, shows the bar busy.
    // Thread: the bar's window's lock holder.
    static void ShowShare(BStatusBar* bar, std::optional<double> fraction);

    // The entry at path is about to start; the row is in use.
    void Begin(const char* path);
    // Its encoder runs with this process id and launch number.
    void Started(team_id team, int64 launch);
    // The next chunk of an encoder's standard error, taken only if it is
    // this row's encoder; answers whether the figure changed.
    bool Take(team_id team, int64 launch, const char* text);
    // "Datei auslassen" was pressed for the row's encoder: the button takes
    // no more clicks, at once.
    void Skipping();
    // The encoder has ended; the row is free for the next one.
    void Free();
    bool InUse() const { return fInUse; }
    // The share of its file the encoder has done, if it told.
    std::optional<double> Fraction() const { return fProgress.Fraction(); }
    // Shows the row's file, its encoder's button and the figure known now.
    void Present();

    BStringView* fileName;
    BStatusBar* fileProgress;
    BButton* skipButton;

private:
    EncoderProgress fProgress;
    std::string fName;
    team_id fTeam = -1;
    int64 fLaunch = 0;
    // The launch whose skip was pressed.
    int64 fSkipped = 0;
    bool fInUse = false;
};
