#include <kit/kernel/private/ChildWatcher.h>

#include <kit/app/AppDefs.h>
#include <kit/kernel/private/ChildSpawn.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/wait.h>
#include <unistd.h>

// The header has no C linkage guards of its own.
extern "C" {
#include <sys/pidfd.h>
}

namespace kit_private {

namespace {

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
                             const entry_ref& ref, team_id* team, int64* launch) {
    if (path.empty() || argv.empty())
        return B_BAD_VALUE;
    if (std::find(argv.begin(), argv.end(), nullptr) != argv.end())
        return B_BAD_VALUE;
    int epoll = -1;
    if (status_t status = EnsureThread(&epoll); status != B_OK)
        return status;

    pid_t pid = -1;
    if (int error = spawn_child(path, argv, ChildOutput::kInherit, &pid))
        return error == ENOEXEC ? B_LAUNCH_FAILED_EXECUTABLE : status_from_errno(error);

    int pidfd = ::pidfd_open(pid, 0);
    if (pidfd < 0) {
        int openError = errno;
        discard_child(pid);
        return status_from_errno(openError);
    }

    int64 number = 0;
    {
        std::lock_guard guard(fChildrenMutex);
        number = ++fLastLaunch;
        fChildren[pid] = Child{pidfd, ref, number};
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = static_cast<uint64>(pid);
        if (::epoll_ctl(epoll, EPOLL_CTL_ADD, pidfd, &event) != 0) {
            int addError = errno;
            fChildren.erase(pid);
            ::pidfd_send_signal(pidfd, SIGKILL, nullptr, 0);
            siginfo_t info{};
            while (::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED) < 0 &&
                   errno == EINTR) {
            }
            ::close(pidfd);
            return status_from_errno(addError);
        }
    }

    if (team != nullptr)
        *team = pid;
    if (launch != nullptr)
        *launch = number;
    return B_OK;
}

status_t ChildWatcher::Kill(team_id team) {
    std::lock_guard guard(fChildrenMutex);
    auto found = fChildren.find(team);
    if (found == fChildren.end())
        return B_BAD_TEAM_ID;
    // Through the pidfd, never the bare number: should the child have been
    // reaped a moment ago, the signal goes nowhere instead of to a stranger.
    if (::pidfd_send_signal(found->second.pidfd, SIGKILL, nullptr, 0) != 0 && errno != ESRCH)
        return status_from_errno(errno);
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
        for (int i = 0; i < count; ++i)
            Reap(static_cast<team_id>(events[i].data.u64));
    }
}

void ChildWatcher::Reap(team_id team) {
    int pidfd = -1;
    {
        std::lock_guard guard(fChildrenMutex);
        auto found = fChildren.find(team);
        if (found == fChildren.end())
            return;
        pidfd = found->second.pidfd;
    }

    // Only this thread closes a child's pidfd, so it stays valid while the
    // lock is not held; Kill may still use it meanwhile, harmlessly.
    siginfo_t info{};
    int result;
    do
        result = ::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG);
    while (result < 0 && errno == EINTR);
    if (result == 0 && info.si_pid == 0)
        return; // Readable a moment early; it is reported again.

    // Reaped now, or (ECHILD) taken by somebody else's wait: either way the
    // child is gone and is reported once.
    entry_ref ref;
    int64 launch = 0;
    {
        std::lock_guard guard(fChildrenMutex);
        auto found = fChildren.find(team);
        ref = std::move(found->second.ref);
        launch = found->second.launch;
        ::epoll_ctl(fEpoll, EPOLL_CTL_DEL, pidfd, nullptr);
        ::close(pidfd);
        fChildren.erase(found);
    }
    Notify(ref, team, launch);
}

void ChildWatcher::Notify(const entry_ref& ref, team_id team, int64 launch) {
    BMessage notice(B_SOME_APP_QUIT);
    notice.AddRef("be:ref", &ref);
    notice.AddInt32("be:team", team);
    notice.AddInt64("kit:launch", launch);

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

} // namespace kit_private
