#include <kit/kernel/private/ChildWatcher.h>

#include <kit/app/AppDefs.h>
#include <kit/kernel/private/ChildSpawn.h>
#include <kit/kernel/private/ShortSlice.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/epoll.h>
#include <sys/wait.h>
#include <unistd.h>

// The header has no C linkage guards of its own.
extern "C" {
#include <sys/pidfd.h>
}

namespace kit_private {

namespace {

// Tags the epoll events of a child's pipe; a pidfd's carry the bare pid.
constexpr uint64 kPipeTag = uint64(1) << 32;
// How much of one child's pipe is read at one wake-up, and at most after it
// has ended.
constexpr size_t kReadShare = 256 * 1024;
constexpr size_t kFinalRead = 16 * 1024 * 1024;

// Waits for a child that cannot be kept (its pidfd could not be set up) after
// killing it, so that a refused launch leaves neither a process nor a zombie.
// The child has not been reaped, so its number still names it alone.
void discard_child(pid_t pid) {
    ::kill(pid, SIGKILL);
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) < 0 && errno == EINTR) {
    }
}

} // namespace

ChildWatcher& ChildWatcher::Instance() {
    // Never destroyed: children may end, and loopers may launch, while the
    // process is already running its exit handlers.
    static ChildWatcher* sInstance = new ChildWatcher;
    return *sInstance;
}

status_t ChildWatcher::EnsureThread(int* epoll) {
    std::lock_guard guard(fStartMutex);
    if (fEpoll >= 0) {
        *epoll = fEpoll;
        return B_OK;
    }
    int descriptor = ::epoll_create1(EPOLL_CLOEXEC);
    if (descriptor < 0)
        return status_from_errno(errno);

    pthread_attr_t attributes;
    if (int error = ::pthread_attr_init(&attributes)) {
        ::close(descriptor);
        return status_from_errno(error);
    }
    ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    // The descriptor is published before the thread starts, so the thread
    // reads it without a lock.
    fEpoll = descriptor;
    pthread_t thread;
    int error = ::pthread_create(&thread, &attributes, &ChildWatcher::ThreadEntry, this);
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {
        fEpoll = -1;
        ::close(descriptor);
        return status_from_errno(error);
    }
    *epoll = descriptor;
    return B_OK;
}

void* ChildWatcher::ThreadEntry(void* self) {
    static_cast<ChildWatcher*>(self)->Loop();
    return nullptr;
}

status_t ChildWatcher::Spawn(const std::string& path, const std::vector<const char*>& argv,
                             const entry_ref& ref, team_id* team, int64* launch,
                             const BMessenger* errorTarget) {
    if (path.empty() || argv.empty())
        return B_BAD_VALUE;
    if (std::find(argv.begin(), argv.end(), nullptr) != argv.end())
        return B_BAD_VALUE;
    int epoll = -1;
    if (status_t status = EnsureThread(&epoll); status != B_OK)
        return status;

    // Our end never blocks, so that the watcher thread never waits on it;
    // the child's end is an ordinary blocking standard error.
    int pipeEnds[2] = {-1, -1};
    if (errorTarget != nullptr) {
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return status_from_errno(errno);
        ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    }
    auto closeReadEnd = [&] {
        if (pipeEnds[0] >= 0)
            ::close(pipeEnds[0]);
    };

    ChildSetup setup;
    setup.error = pipeEnds[1];
    setup.ownGroup = true;
    pid_t pid = -1;
    int spawnError = spawn_child(path, argv, setup, &pid);
    // Only the child writes: once it and whatever it starts have closed
    // their ends, ours reads the end of the pipe.
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
    if (spawnError != 0) {
        closeReadEnd();
        return spawnError == ENOEXEC ? B_LAUNCH_FAILED_EXECUTABLE : status_from_errno(spawnError);
    }

    int pidfd = ::pidfd_open(pid, 0);
    if (pidfd < 0) {
        int openError = errno;
        closeReadEnd();
        discard_child(pid);
        return status_from_errno(openError);
    }

    int64 number = 0;
    {
        std::lock_guard guard(fChildrenMutex);
        number = ++fLastLaunch;
        Child& child = fChildren[pid];
        child = Child{pidfd, ref, number, nullptr};
        int addError = 0;
        if (pipeEnds[0] >= 0) {
            child.output =
                std::make_unique<ChildErrorOutput>(pipeEnds[0], *errorTarget, pid, number);
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.u64 = kPipeTag | static_cast<uint32>(pid);
            if (::epoll_ctl(epoll, EPOLL_CTL_ADD, pipeEnds[0], &event) != 0)
                addError = errno;
        }
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = static_cast<uint32>(pid);
        if (addError == 0 && ::epoll_ctl(epoll, EPOLL_CTL_ADD, pidfd, &event) != 0)
            addError = errno;
        if (addError != 0) {
            if (child.output != nullptr)
                ::epoll_ctl(epoll, EPOLL_CTL_DEL, child.output->Descriptor(), nullptr);
            fChildren.erase(pid);
            ::pidfd_send_signal(pidfd, SIGKILL, nullptr, 0);
            siginfo_t info{};
            while (::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED) < 0 &&
                   errno == EINTR) {
            }
            ::close(pidfd);
            return status_from_errno(addError);
        }
        if (pipeEnds[0] >= 0 && !fHandOverRegistered) {
            fHandOverRegistered = true;
            std::atexit(&ChildWatcher::HandOverAtExit);
        }
    }

    if (team != nullptr)
        *team = pid;
    if (launch != nullptr)
        *launch = number;
    return B_OK;
}

status_t ChildWatcher::Kill(team_id team) {
    return Kill(team, 0);
}

status_t ChildWatcher::Kill(team_id team, int64 launch) {
    std::lock_guard guard(fChildrenMutex);
    auto found = fChildren.find(team);
    if (found == fChildren.end() || (launch != 0 && found->second.launch != launch))
        return B_BAD_TEAM_ID;
    // Through the pidfd, never the bare number: should the child have been
    // reaped a moment ago, the signal goes nowhere instead of to a stranger.
    if (::pidfd_send_signal(found->second.pidfd, SIGKILL, nullptr, 0) != 0 && errno != ESRCH)
        return status_from_errno(errno);
    // The group too, so that what the child started (a script's encoder)
    // ends with it. The leader is reaped only under this mutex, so it is not
    // yet: its number, and with it the id of the group it leads, cannot have
    // been given to anybody else. ESRCH only means the group is empty.
    ::kill(-team, SIGKILL);
    return B_OK;
}

status_t ChildWatcher::StartWatching(const BMessenger& target, uint32 eventMask) {
    if (!target.IsValid())
        return B_BAD_VALUE;
    std::lock_guard guard(fWatchersMutex);
    for (Watcher& watcher : fWatchers)
        if (watcher.target == target) {
            watcher.mask = eventMask;
            return B_OK;
        }
    fWatchers.push_back(Watcher{target, eventMask});
    return B_OK;
}

status_t ChildWatcher::StopWatching(const BMessenger& target) {
    std::lock_guard guard(fWatchersMutex);
    auto found = std::find_if(fWatchers.begin(), fWatchers.end(),
                              [&](const Watcher& watcher) { return watcher.target == target; });
    if (found == fWatchers.end())
        return B_BAD_VALUE;
    fWatchers.erase(found);
    return B_OK;
}

int32 ChildWatcher::CountChildren() const {
    std::lock_guard guard(fChildrenMutex);
    return static_cast<int32>(fChildren.size());
}

void ChildWatcher::Loop() {
    AskShortSlice();
    constexpr int kBatch = 32;
    epoll_event events[kBatch];
    for (;;) {
        int count = ::epoll_wait(fEpoll, events, kBatch, -1);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            // Nothing else can go wrong with a valid epoll descriptor; should
            // it happen all the same, do not spin.
            ::usleep(100000);
            continue;
        }
        for (int i = 0; i < count; ++i) {
            const team_id team = static_cast<team_id>(events[i].data.u64 & 0xffffffffu);
            if ((events[i].data.u64 & kPipeTag) != 0)
                ReadOutput(team);
            else
                Reap(team);
        }
    }
}

void ChildWatcher::ReadOutput(team_id team) {
    ChildErrorOutput* output = nullptr;
    {
        std::lock_guard guard(fChildrenMutex);
        auto found = fChildren.find(team);
        if (found == fChildren.end() || found->second.output == nullptr ||
            found->second.output->Descriptor() < 0)
            return;
        output = found->second.output.get();
    }
    // Only this thread reads, closes and destroys a child's output, so it
    // stays valid without the lock. A share at a time, so that one child
    // writing without pause cannot keep the others waiting.
    if (!output->Read(kReadShare))
        return;
    // Every writer has closed the pipe. The lines stay for the quit notice.
    std::lock_guard guard(fChildrenMutex);
    ::epoll_ctl(fEpoll, EPOLL_CTL_DEL, output->Descriptor(), nullptr);
    output->Close();
}

void ChildWatcher::Reap(team_id team) {
    entry_ref ref;
    int64 launch = 0;
    End end;
    std::unique_ptr<ChildErrorOutput> output;
    {
        std::lock_guard guard(fChildrenMutex);
        auto found = fChildren.find(team);
        if (found == fChildren.end())
            return;
        // Reaped under the mutex, so that Kill never signals the group of a
        // leader that is gone (see there). Waiting without WNOHANG is never
        // needed: the pidfd is readable once the child has ended.
        const int pidfd = found->second.pidfd;
        siginfo_t info{};
        int result;
        do
            result = ::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG);
        while (result < 0 && errno == EINTR);
        if (result == 0 && info.si_pid == 0)
            return; // Readable a moment early; it is reported again.

        // Reaped now, or (ECHILD) taken by somebody else's wait: either way
        // the child is gone and is reported once, then without its status.
        if (result == 0)
            end = End{info.si_code, info.si_status};
        ref = std::move(found->second.ref);
        launch = found->second.launch;
        output = std::move(found->second.output);
        ::epoll_ctl(fEpoll, EPOLL_CTL_DEL, pidfd, nullptr);
        ::close(pidfd);
        fChildren.erase(found);
    }
    if (output != nullptr && output->Descriptor() >= 0) {
        // Everything the child wrote is in the pipe now, and goes out before
        // its quit notice, which is the last message about it. What a
        // process it left behind writes later is not read: the pipe closes.
        output->Read(kFinalRead);
        ::epoll_ctl(fEpoll, EPOLL_CTL_DEL, output->Descriptor(), nullptr);
        output->Close();
    }
    Notify(ref, team, launch, end, output.get());
}

void ChildWatcher::Notify(const entry_ref& ref, team_id team, int64 launch, const End& end,
                          const ChildErrorOutput* output) {
    BMessage notice(B_SOME_APP_QUIT);
    notice.AddRef("be:ref", &ref);
    notice.AddInt32("be:team", team);
    notice.AddInt64("kit:launch", launch);
    if (end.code == CLD_EXITED)
        notice.AddInt32("kit:exit_status", end.status);
    else if (end.code == CLD_KILLED || end.code == CLD_DUMPED)
        notice.AddInt32("kit:signal", end.status);
    if (output != nullptr)
        notice.AddString("kit:error_output", output->LastLines());

    // Sent with the watchers' mutex held, so that a watcher removed by
    // StopWatching receives nothing once that call has returned. Sending only
    // takes the target queue's own mutex, never a looper's lock.
    std::lock_guard guard(fWatchersMutex);
    for (auto watcher = fWatchers.begin(); watcher != fWatchers.end();) {
        bool gone = !watcher->target.IsValid();
        if (!gone && (watcher->mask & B_REQUEST_QUIT) != 0)
            gone = watcher->target.SendMessage(&notice) == B_BAD_PORT_ID;
        if (gone) {
            watcher = fWatchers.erase(watcher);
            continue;
        }
        ++watcher;
    }
}

void ChildWatcher::HandOverAtExit() {
    Instance().HandOver();
}

void ChildWatcher::HandOver() {
    // Children go on running when the program ends, and a child whose
    // standard error is a pipe of ours would die of SIGPIPE (or fail with
    // EPIPE) at its next write once our end closes with the program. So each
    // such pipe is handed to a small process of its own that reads it to its
    // end and throws the bytes away. It is opened afresh through /proc, so
    // that the discarder reads a blocking descriptor while ours, which the
    // watcher thread may still be reading, stays non-blocking. The discarder
    // leads a group of its own, is not reaped (the program is ending and the
    // system takes it over) and ends when the child and what it started have
    // closed the pipe.
    const std::string discarder = find_program("cat");
    if (discarder.empty())
        return;
    std::lock_guard guard(fChildrenMutex);
    for (const auto& [team, child] : fChildren) {
        if (child.output == nullptr || child.output->Descriptor() < 0)
            continue;
        const std::string ours = "/proc/self/fd/" + std::to_string(child.output->Descriptor());
        // Non-blocking, or the open would wait for a writer should the child
        // have closed its end just now; then blocking again for the reader.
        int fresh = ::open(ours.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fresh < 0)
            continue;
        ::fcntl(fresh, F_SETFL, 0);
        ChildSetup setup;
        setup.output = ChildOutput::kDiscard;
        setup.input = fresh;
        setup.ownGroup = true;
        pid_t pid = -1;
        spawn_child(discarder, {discarder.c_str()}, setup, &pid);
        ::close(fresh);
    }
}

} // namespace kit_private
