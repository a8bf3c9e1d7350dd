#pragma once

// Kernel-level types: processes are teams.

#include "app/SupportDefs.h"

// A process id of a child of ours.
using team_id = int32;
