#pragma once

// The batch run's state and its decisions: which entry starts next, in which
// row of the progress window, which encoders are at work, which entries
// wait, and which failed. It needs no window: it acts through its host.
//
// At most places encoders are at work at once. Entries start in list order.
// Two entries whose encodings go to the same file never run at once: the
// later one waits until the earlier one has ended, so that what is left on
// disk is what one encoder after the other leaves, while the entries after
// it take the free places; a waiting entry starts ahead of every later one
// as soon as it may. Options that choose the output themselves make the
// whole run one at a time. With one place the run goes exactly one entry
// after the other, as it always has.
//
// Every encoder is known by its process id and launch number together: a
// process id may be given again to a newer child once an encoder has been
// reaped, and only the pair tells them apart.
//
// Thread: the main window's lock holder, like the host's calls.

#include "encoding/EncodeErrors.h"
#include <kit/app/BMessage.h>
#include <kit/kernel/OS.h>

#include <string>
#include <vector>

class RunHost;

class EncodingRun {
public:
    static constexpr int32 kMostPlaces = 64;

    explicit EncodingRun(RunHost& host);

    // Starts a run over the host's list with at most places encoders at
    // once (kept between 1 and kMostPlaces), and the options the encoder
    // gets before and after each file; Next then starts the first entries.
    void Start(int32 places, const char* optionsBefore, const char* optionsAfter);
    // Starts entries while places are free, or ends the run when nothing is
    // at work and nothing is left to start.
    void Next();
    // Whether the encoder with this process id and launch number is one of
    // this run's at work.
    bool Owns(team_id team, int64 launch) const;
    // The encoder's quit notice: its row is free, and its entry is noted as
    // failed if the notice says so, unless the run ended it itself.
    void Ended(team_id team, int64 launch, const BMessage* notice);
    // "Datei auslassen" for the encoder with this process id and launch
    // number; one that has ended meanwhile is not touched.
    void Skip(team_id team, int64 launch);
    // "Datei auslassen" of a run with one place: the encoder at work.
    void SkipCurrent();
    // "Kodieren abbrechen": every encoder at work ends, and the run.
    void Stop();

    // The run as the main window shows it. NextIndex is the first entry not
    // yet started (0 outside a run); LastTeam and LastLaunch name the
    // encoder launched last.
    const bool& Running() const { return fRunning; }
    const int32& NextIndex() const { return fNext; }
    const team_id& LastTeam() const { return fLastTeam; }
    const int64& LastLaunch() const { return fLastLaunch; }
    int32 Places() const { return fPlaces; }
    int32 CountAtWork() const { return static_cast<int32>(fAtWork.size()); }
    int32 CountDone() const { return fDone; }
    const EncodeErrors& Errors() const { return fErrors; }

    // The file oggenc writes for an input path when no option names it: the
    // path cut at its last '.', wherever that stands, then ".ogg"; a path
    // without a '.' gets ".ogg" appended.
    static std::string OutputOf(const std::string& path);
    // Whether these options choose the encoder's output themselves (-o,
    // --output, -n, --names, alone, joined or with '='), so that two
    // encoders could write the same file whatever their inputs.
    static bool ChoosesOutput(const char* options);

private:
    struct AtWork {
        int32 index = 0;
        int32 row = 0;
        std::string path;
        std::string output;
        team_id team = -1;
        int64 launch = 0;
        bool skipped = false;
    };
    struct Waiting {
        int32 index = 0;
        std::string path;
        std::string output;
    };

    // Starts the entry in the lowest free row; false when its launch failed.
    bool Launch(int32 index, const std::string& path, const std::string& output);
    // Whether an encoder at work, or an entry waiting before position,
    // writes output.
    bool Busy(const std::string& output, size_t waitingBefore) const;
    // The output as the comparison sees it: with its folder resolved where
    // that exists, so that two spellings of one folder meet.
    static std::string OutputKey(const std::string& path);
    void End();
    std::vector<AtWork>::iterator Find(team_id team, int64 launch);

    RunHost& fHost;
    bool fRunning = false;
    int32 fNext = 0;
    team_id fLastTeam = -1;
    int64 fLastLaunch = 0;
    int32 fPlaces = 1;
    int32 fDone = 0;
    // After a failed launch nothing more starts; those at work finish.
    bool fLaunchFailed = false;
    std::vector<AtWork> fAtWork;
    // Entries passed over because an earlier one writes their output, in
    // list order.
    std::vector<Waiting> fWaiting;
    EncodeErrors fErrors;
};
