#pragma once

// Runs a desktop tool (update-mime-database, update-desktop-database) as a
// child process and waits for it. The child gets /dev/null as standard input
// and output, keeps standard error, inherits no other descriptor, starts with
// no blocked signal and default signal handling, and sees the environment of
// this process. No shell is involved.
//
// Thread: any; it waits only for its own child.

#include "app/SupportDefs.h"

#include <string>
#include <vector>

namespace kit_private {

// B_OK when the tool ran and exited with status 0; B_ENTRY_NOT_FOUND when
// it is not installed; B_ERROR when it failed or was killed.
status_t run_tool(const std::vector<std::string>& argv);

} // namespace kit_private
