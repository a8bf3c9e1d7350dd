#pragma once

// Runs a desktop tool (update-mime-database, update-desktop-database) as a
// child process and waits for it. The tool is found in the absolute folders
// of PATH only and started as every child of the kit is (see ChildSpawn.h),
// with its standard output discarded; it keeps standard error and sees the
// environment of this process.
//
// Thread: any; it waits only for its own child.

#include <kit/app/SupportDefs.h>

#include <string>
#include <vector>

namespace kit_private {

// B_OK when the tool ran and exited with status 0; B_ENTRY_NOT_FOUND when
// it is not installed; B_ERROR when it failed or was killed.
status_t run_tool(const std::vector<std::string>& argv);

} // namespace kit_private
