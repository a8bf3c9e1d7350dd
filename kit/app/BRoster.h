#pragma once

// Starting other programs and learning when they end.
//
// Every program started here is a child process of ours. It is reaped as soon
// as it ends, whether or not anybody watches, and from StartWatching on each
// watcher receives one B_SOME_APP_QUIT per ended child, with the entry_ref
// "be:ref" (the executable it was started from), the int32 "be:team" (its
// process id) and the int64 "kit:launch" (its launch number). A process id may
// be given again once its child has been reaped; the launch number never is,
// so only it tells the end of a child from that of an earlier one. The notice
// also says how the child ended: the int32 "kit:exit_status" when it exited,
// the int32 "kit:signal" when a signal ended it. Children are never reported
// as launched: nothing needs it.
//
// Reached through be_roster, which is valid for the life of the process. All
// methods may be called from any thread.

#include <kit/app/AppDefs.h>
#include <kit/app/BMessage.h>
#include <kit/app/BMessenger.h>
#include <kit/kernel/OS.h>
#include <kit/storage/entry_ref.h>

class BRoster {
public:
    constexpr BRoster() = default;

    // Starts the executable ref names with the argc arguments of argv (which
    // need not end with a null pointer); the child's own argv[0] is the
    // executable's path. On B_OK the new process id is stored in team and
    // the launch number, which its quit notice carries, in launch (each if
    // given). Any other status means nothing was started and team and launch
    // are left alone: a missing file, a folder, a file without execute
    // permission or one that is neither a binary nor a script.
    //
    // The child leads a process group of its own, and kill_team ends the
    // whole group. Without errorTarget the child's standard error is ours.
    // With it, the standard error goes to a pipe that the kit reads however
    // much the child writes, and sends on to errorTarget as B_CHILD_OUTPUT
    // (an invalid messenger takes nothing); the quit notice then also carries
    // the string "kit:error_output": the last four lines that were not empty
    // (lines end at '\n' or '\r'; each ends with '\n' there and is kept to at
    // most 1024 bytes). Every B_CHILD_OUTPUT for the child comes before its
    // quit notice.
    status_t Launch(const entry_ref* ref, int argc, const char* const* argv,
                    team_id* team = nullptr, int64* launch = nullptr,
                    const BMessenger* errorTarget = nullptr) const;

    // Opens the document ref names with the desktop's preferred application
    // (xdg-open, looked up in the absolute folders of PATH when called). The message is not passed
    // on. B_OK means the opener was started; what it does is not looked at.
    status_t Launch(const entry_ref* ref, const BMessage* message = nullptr,
                    team_id* team = nullptr) const;

    // Opens argv[0] (an address, for "text/html") with the desktop's handler
    // for it, through xdg-open as above. Further arguments are not used; an
    // argument that xdg-open would take for an option is refused.
    status_t Launch(const char* mimeType, int argc, const char* const* argv,
                    team_id* team = nullptr) const;

    // Adds target as a watcher, or changes its mask. Quit notices are sent
    // while the mask holds B_REQUEST_QUIT. B_BAD_VALUE for an invalid target.
    status_t StartWatching(BMessenger target,
                           uint32 eventMask = B_REQUEST_LAUNCHED | B_REQUEST_QUIT) const;
    // Removes target; once this returns it receives no further notice.
    // B_BAD_VALUE if it was not watching.
    status_t StopWatching(BMessenger target) const;

private:
    status_t Open(const char* what, team_id* team) const;
};

extern const BRoster* be_roster;
