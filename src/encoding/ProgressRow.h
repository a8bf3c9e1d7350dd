#pragma once

// One encoder at work in a run with several: the name of its file, a bar
// from that encoder's own progress lines (busy while it gives none), and its
// own "Datei auslassen". The button's message names the encoder by its
// process id and launch number, so that a press that comes late never ends
// another encoder that was given the same process id since.
//
// Thread: the progress window's lock holder.

#include "encoding/EncoderProgress.h"
#include <kit/interface/BView.h>
#include <kit/kernel/OS.h>

#include <optional>

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

    // The entry at path is about to start: its name, a busy bar, and a
    // button that takes no clicks until the encoder is known.
    void Begin(const char* path);
    // Its encoder runs with this process id and launch number.
    void Started(team_id team, int64 launch);
    // The next chunk of an encoder's standard error, taken only if it is
    // this row's encoder; answers whether the figure changed.
    bool Take(team_id team, int64 launch, const char* text);
    // "Datei auslassen" was pressed: the button takes no more clicks.
    void Skipping();
    // The encoder has ended; the row is free for the next one.
    void Free();
    bool InUse() const { return fInUse; }
    // The share of its file the encoder has done, if it told.
    std::optional<double> Fraction() const { return fProgress.Fraction(); }
    // Puts the figure known now on the bar.
    void Present();

    BStringView* fileName;
    BStatusBar* fileProgress;
    BButton* skipButton;

private:
    EncoderProgress fProgress;
    team_id fTeam = -1;
    int64 fLaunch = 0;
    bool fInUse = false;
};
