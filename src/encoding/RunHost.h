#pragma once

// What a batch run needs of the program around it: the list, the encoder
// processes, the progress window's rows and the alerts. The run decides; the
// host carries out. The main window is the program's host; tests put one of
// their own in its place.
//
// Thread: the run's, that is the main window's lock holder.

#include "encoding/EncodeErrors.h"
#include <kit/kernel/OS.h>

#include <string>

class RunHost {
public:
    virtual ~RunHost() = default;

    // The list as it stands now: it may grow or shrink during a run.
    virtual int32 CountEntries() = 0;
    virtual std::string EntryAt(int32 index) = 0;

    // Shows the entry at index of count (its path as the list holds it) in
    // the progress window's row, then starts its encoder. On B_OK the new
    // process id and launch number are stored in team and launch.
    virtual status_t Launch(int32 row, int32 index, int32 count, const std::string& path,
                            team_id* team, int64* launch) = 0;
    // Ends the encoder known by this process id and launch number together,
    // with the processes it started.
    virtual void Kill(team_id team, int64 launch) = 0;
    // The row's encoder is being skipped: its button takes no more clicks.
    virtual void RowSkipped(int32 row) = 0;
    // The row's encoder has ended; done of count entries are through.
    virtual void RowEnded(int32 row, int32 done, int32 count) = 0;

    // A launch failed. With others at work the alert must not hold up the
    // thread that shows it: their quit notices and the progress window's
    // buttons still have to come through.
    virtual void LaunchFailed(bool othersAtWork) = 0;
    // Ends watching for quit notices; comes before every kill of a stop.
    virtual void StopWatching() = 0;
    // The run is over: the progress window goes, and the failures are told.
    virtual void Finished(const EncodeErrors& errors) = 0;
};
