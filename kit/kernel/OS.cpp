#include <kit/kernel/OS.h>

#include <kit/kernel/private/ChildWatcher.h>

status_t kill_team(team_id team) {
    if (team <= 0)
        return B_BAD_TEAM_ID;
    return kit_private::ChildWatcher::Instance().Kill(team);
}

status_t kill_team(team_id team, int64 launch) {
    if (team <= 0 || launch <= 0)
        return B_BAD_TEAM_ID;
    return kit_private::ChildWatcher::Instance().Kill(team, launch);
}
