#pragma once

// A look at the moment each process is killed. The test binary is linked so
// that every call of kill_team, the program's own included, comes here before
// it goes on to the kit's: while a test records, each call notes the process
// and whether the application still watched quit notices when it was sent.
// That order cannot be seen from outside, since the watcher thread is free to
// reap the killed process before or after the caller's next step.

#include <kit/kernel/OS.h>

#include <vector>

namespace kill_probe {

struct Kill {
    team_id team = -1;
    bool appWatching = false;
};

// Thread: any; the calls of kill_team on every thread are recorded from the
// one to the other.
void Start();
std::vector<Kill> Stop();

} // namespace kill_probe
