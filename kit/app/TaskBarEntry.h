#pragma once

// The program's entry in the desktop's task bar or dock: how far a long
// piece of work has come, and a count on the program's icon. It is told
// with the launcher entry signal that docks and task bars listen for on the
// session bus ("Update" of com.canonical.Unity.LauncherEntry), sent from an
// object path of the program's own and naming the program by its desktop
// entry. Without a session bus nothing is sent and nothing waits: the entry
// never starts a bus, and one that cannot be reached is not asked again
// (until the address in the environment changes).
//
// Thread: any, one at a time (the owner's lock guards it).

#include <kit/app/SupportDefs.h>

#include <string>

class TaskBarEntry {
public:
    // desktopId names the desktop entry without ".desktop"; objectPath is a
    // D-Bus object path of the program's own.
    TaskBarEntry(const std::string& desktopId, const std::string& objectPath);

    // Shows progress, from 0 to 1, and count on the entry.
    void Show(double progress, int64 count);
    // Takes progress and count away again.
    void Clear();

private:
    void Send(double progress, bool progressVisible, int64 count, bool countVisible);

    std::string fAppUri;
    std::string fObjectPath;
};
