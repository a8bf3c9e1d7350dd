#include "kernel/OS.h"

#include "kernel/private/ChildWatcher.h"

status_t kill_team(team_id team) {
    if (team <= 0)
        return B_BAD_TEAM_ID;
    return kit_private::ChildWatcher::Instance().Kill(team);
}
