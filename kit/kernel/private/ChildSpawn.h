#pragma once

// The one way the kit starts a child process, shared by the roster's launches
// and the desktop tools that the storage kit runs.
//
// Every child starts the same way: standard input from /dev/null (unless
// told otherwise), no
// descriptor inherited beyond the standard three (ours are O_CLOEXEC, and
// anything a library left open is closed as well), an empty signal mask and
// every catchable signal at its default action, whatever the calling looper
// thread blocks or the program ignores. No shell is involved.
//
// Thread: any.

#include <kit/app/SupportDefs.h>

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kit_private {

// The program that a bare name (xdg-open, update-mime-database) stands for:
// the first executable regular file of that name in the absolute folders of
// PATH. Empty and relative entries are passed over, so that what runs never
// depends on the folder the program happens to be started in. A name holding
// a slash is not looked up and gives an empty string, as does a name that is
// found nowhere. Without PATH, /usr/local/bin, /usr/bin and /bin are searched.
std::string find_program(std::string_view name);

// Where the child's standard output goes.
enum class ChildOutput { kInherit, kDiscard };

// How one child is set up beyond what every child gets.
struct ChildSetup {
    ChildOutput output = ChildOutput::kInherit;
    // A descriptor of ours that becomes the child's standard input, or -1
    // for /dev/null.
    int input = -1;
    // A descriptor of ours that becomes the child's standard error, or -1 to
    // pass on our own.
    int error = -1;
    // Whether the child leads a process group of its own, whose id is its
    // process id, so that it can be ended together with what it starts.
    bool ownGroup = false;
};

// Starts the executable at the absolute path with the argument vector argv
// (argv[0] included; no null pointer in it). On success stores the child's
// process id in pid and returns 0; the caller must reap it. Otherwise returns
// the error number of the failed start (ENOENT for a missing file, ENOEXEC
// for a file that is neither a binary nor a script, EACCES, ...), and nothing
// was started.
int spawn_child(const std::string& path, const std::vector<const char*>& argv,
                const ChildSetup& setup, pid_t* pid);
inline int spawn_child(const std::string& path, const std::vector<const char*>& argv,
                       ChildOutput output, pid_t* pid) {
    return spawn_child(path, argv, ChildSetup{output}, pid);
}

} // namespace kit_private
