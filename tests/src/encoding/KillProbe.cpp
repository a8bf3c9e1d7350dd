#include "KillProbe.h"

#include <kit/app/BApplication.h>
#include <kit/app/BRoster.h>

#include <mutex>

// The kit's kill_team, both forms, under the names the linker gives them for
// --wrap (their mangled names, as the wrapped symbols are), and the ones
// every caller reaches.
extern "C" status_t __real__Z9kill_teami(team_id team);
extern "C" status_t __wrap__Z9kill_teami(team_id team);
extern "C" status_t __real__Z9kill_teamil(team_id team, int64 launch);
extern "C" status_t __wrap__Z9kill_teamil(team_id team, int64 launch);

namespace {

std::mutex sMutex;
bool sRecording = false;
std::vector<kill_probe::Kill> sKills;

} // namespace

namespace {

void Record(team_id team) {
    {
        std::lock_guard guard(sMutex);
        if (sRecording) {
            // StopWatching answers B_BAD_VALUE for a target that does not
            // watch, and nothing else tells; a target that did watch is put
            // back at once, with the mask a run watches with, before the kill
            // is sent, so that it misses no notice.
            const BMessenger app(be_app);
            const bool watching = be_roster->StopWatching(app) == B_OK;
            if (watching)
                be_roster->StartWatching(app, B_REQUEST_QUIT);
            sKills.push_back({team, watching});
        }
    }
}

} // namespace

status_t __wrap__Z9kill_teami(team_id team) {
    Record(team);
    return __real__Z9kill_teami(team);
}

status_t __wrap__Z9kill_teamil(team_id team, int64 launch) {
    Record(team);
    return __real__Z9kill_teamil(team, launch);
}

namespace kill_probe {

void Start() {
    std::lock_guard guard(sMutex);
    sKills.clear();
    sRecording = true;
}

std::vector<Kill> Stop() {
    std::lock_guard guard(sMutex);
    sRecording = false;
    return std::move(sKills);
}

} // namespace kill_probe
