#pragma once

// Kernel-level types and calls: processes are teams.

#include <kit/app/SupportDefs.h>

// A process id of a child of ours.
using team_id = int32;

// Ends a process that this program started through the roster, at once
// (SIGKILL), together with every process of the group it leads (what it
// started, unless that left the group); its end is then reported to the
// roster's watchers like any other.
// A team that is not a live child of ours (never started by us, or already
// reaped) gives B_BAD_TEAM_ID and nothing is signalled, so a process that was
// given the same number later is never touched. A child that has ended but is
// not reaped yet is left as it is and B_OK returned. Thread: any.
status_t kill_team(team_id team);

// As above, but only while team is still the child of that launch number (the
// "kit:launch" of the roster): with several children at work, a process id
// may be reaped and given to a newer child between the moment a caller
// learns it and the kill, and only the pair tells the two apart. Any other
// pair gives B_BAD_TEAM_ID and nothing is signalled. Thread: any.
status_t kill_team(team_id team, int64 launch);
