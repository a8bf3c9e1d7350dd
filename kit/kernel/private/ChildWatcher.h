#pragma once

// The table of the processes this program started, and the thread that waits
// for them to end. Every child is held through a pidfd from the moment it is
// started until the moment it is reaped, so that ending a child can never hit
// another process that happens to have been given the same number later.
//
// The watcher thread is started with the first child. It reaps each child as
// soon as it ends, whether or not anybody watches, and then posts one quit
// notice to every watcher, saying how the child ended: the int32
// "kit:exit_status" when it exited, the int32 "kit:signal" when a signal ended
// it (neither when somebody else reaped it). It also reads the standard error
// of the children started with a target for it (ChildErrorOutput), drains it
// before the child's quit notice, and adds the string "kit:error_output", the
// child's last lines there. It never takes a looper's lock: it only posts.
//
// Every child leads a process group of its own, so that ending it ends what
// it started as well.
//
// The object lives until the process ends and is never destroyed, so that a
// looper may launch or end a child at any moment of the program's life.
//
// Kit-private: application code uses BRoster and kill_team.

#include <kit/app/BMessenger.h>
#include <kit/kernel/OS.h>
#include <kit/kernel/private/ChildErrorOutput.h>
#include <kit/storage/entry_ref.h>

#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace kit_private {

class ChildWatcher {
public:
    // The one watcher of this process. Thread: any.
    static ChildWatcher& Instance();

    // Starts the executable at path with the argument vector argv (argv[0]
    // included; the vector need not end with a null pointer), standard input
    // from /dev/null, no descriptor inherited beyond the standard three, an
    // empty signal mask and every signal at its default action, as the leader
    // of a new process group. With errorTarget its standard error goes to a
    // pipe of ours and what it writes there to errorTarget as B_CHILD_OUTPUT.
    // On success the child is in the table and will be reported as ref when
    // it ends, its process id is stored in team (if given) and its launch
    // number in launch (if given). On failure nothing was started and team
    // and launch are left alone. Thread: any.
    status_t Spawn(const std::string& path, const std::vector<const char*>& argv,
                   const entry_ref& ref, team_id* team, int64* launch = nullptr,
                   const BMessenger* errorTarget = nullptr);

    // Sends SIGKILL to a child of ours that has not been reaped yet, and to
    // every process of the group it leads. B_BAD_TEAM_ID, with nothing
    // signalled, for any other process id. Thread: any.
    status_t Kill(team_id team);
    // The same, only while team is the child of that launch number (0 takes
    // whichever child has that process id). Thread: any.
    status_t Kill(team_id team, int64 launch);

    // Adds a watcher, or changes the mask of one already there. Thread: any.
    status_t StartWatching(const BMessenger& target, uint32 eventMask);
    // Removes a watcher. Once this returns, no further notice is sent to it.
    // Thread: any.
    status_t StopWatching(const BMessenger& target);

    // The number of children started and not yet reaped. Thread: any.
    int32 CountChildren() const;

private:
    struct Child {
        int pidfd = -1;
        entry_ref ref;
        // Counts the launches of this process from 1, so that it tells a
        // child from an earlier one that had the same process id.
        int64 launch = 0;
        // Null for a child without a target for its standard error.
        std::unique_ptr<ChildErrorOutput> output;
    };
    // How a child ended, as its quit notice tells it.
    struct End {
        int code = 0; // CLD_EXITED, CLD_KILLED, CLD_DUMPED; 0 if unknown
        int status = 0;
    };
    struct Watcher {
        BMessenger target;
        uint32 mask = 0;
    };

    ChildWatcher() = default;

    // Starts the watcher thread once and hands out its epoll descriptor.
    status_t EnsureThread(int* epoll);
    static void* ThreadEntry(void* self);
    void Loop();
    void ReadOutput(team_id team);
    void Reap(team_id team);
    void Notify(const entry_ref& ref, team_id team, int64 launch, const End& end,
                const ChildErrorOutput* output);
    // Registered with atexit once a child has a pipe of ours.
    static void HandOverAtExit();
    void HandOver();

    std::mutex fStartMutex;
    int fEpoll = -1; // set once under fStartMutex, before the thread starts

    mutable std::mutex fChildrenMutex;
    std::unordered_map<team_id, Child> fChildren;
    int64 fLastLaunch = 0;
    bool fHandOverRegistered = false; // under fChildrenMutex

    std::mutex fWatchersMutex;
    std::vector<Watcher> fWatchers;
};

} // namespace kit_private
