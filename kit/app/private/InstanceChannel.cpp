#include <kit/app/private/InstanceChannel.h>

#include <kit/app/private/HandOver.h>
#include <kit/app/private/HandOverFrame.h>
#include <kit/app/private/SocketIo.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using kit_private::Descriptor;
using kit_private::HandOverFrame;
namespace hand_over = kit_private::hand_over;
namespace socket_io = kit_private::socket_io;

namespace {

using Clock = std::chrono::steady_clock;

// A hand-over that found the running instance going away is tried again.
constexpr int kHandOverAttempts = 3;

// A folder fit to hold the socket: ours, and writable by nobody else, since
// whoever can write there could put a socket of their own in our place.
status_t check_folder(const struct stat& info) {
    if (!S_ISDIR(info.st_mode))
        return B_NOT_A_DIRECTORY;
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return B_NOT_ALLOWED;
    return B_OK;
}

status_t runtime_folder(std::string* folder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        struct stat info {};
        if (::stat(runtime, &info) != 0)
            return status_from_errno(errno);
        *folder = runtime;
        return check_folder(info);
    }

    // /tmp is shared: the folder is made private, and one found there already
    // is used only if it is a real folder (not a link) of ours.
    *folder = "/tmp/kit-runtime-" + std::to_string(::geteuid());
    if (::mkdir(folder->c_str(), 0700) != 0 && errno != EEXIST)
        return status_from_errno(errno);
    struct stat info {};
    if (::lstat(folder->c_str(), &info) != 0)
        return status_from_errno(errno);
    if (status_t status = check_folder(info); status != B_OK)
        return status;
    return (info.st_mode & (S_IRWXG | S_IRWXO)) != 0 ? B_NOT_ALLOWED : B_OK;
}

// The signature as a file name: anything but letters, digits, '.' and '-'
// becomes '_'. A long one is cut and completed by a hash of the whole, so
// that the socket's path fits its address.
std::string leaf_for(const std::string& signature) {
    std::string leaf;
    for (char c : signature) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '.' || c == '-';
        leaf.push_back(plain ? c : '_');
    }
    if (leaf.empty() || leaf.front() == '.')
        leaf.insert(leaf.begin(), '_');
    constexpr size_t kLongest = 48;
    if (leaf.size() > kLongest) {
        uint64 hash = 14695981039346656037ull;
        for (char c : signature)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        static constexpr char kDigits[] = "0123456789abcdef";
        leaf.resize(kLongest - 17);
        leaf.push_back('-');
        for (int shift = 60; shift >= 0; shift -= 4)
            leaf.push_back(kDigits[(hash >> shift) & 0xf]);
    }
    return leaf;
}

} // namespace

InstanceChannel::InstanceChannel(const std::string& signature,
                                 const InstanceChannelTimings& timings)
    : fTimings(timings) {
    std::string folder;
    fInitStatus = runtime_folder(&folder);
    if (fInitStatus != B_OK)
        return;
    std::string base = folder + (folder.back() == '/' ? "" : "/") + leaf_for(signature);
    fSocketPath = base + ".socket";
    fLockPath = base + ".lock";
    sockaddr_un address;
    if (!socket_io::MakeAddress(fSocketPath, &address))
        fInitStatus = B_NAME_TOO_LONG;
}

InstanceChannel::~InstanceChannel() {
    Close();
}

bool InstanceChannel::TryHandOver(const std::vector<std::string>& absolutePaths,
                                  std::vector<std::string>* notTaken) {
    std::vector<std::string> paths = absolutePaths;
    bool handedOver = false;
    if (fInitStatus == B_OK && !fListenFd.IsValid() && !fLockWasHeld &&
        std::all_of(paths.begin(), paths.end(),
                    [](const std::string& path) { return HandOverFrame::IsValidPath(path); })) {
        for (int attempt = 0; attempt < kHandOverAttempts; ++attempt) {
            Outcome outcome = Decide(&paths);
            if (outcome != Outcome::kPeerGone) {
                handedOver = outcome == Outcome::kHandedOver;
                break;
            }
        }
    }
    if (notTaken != nullptr)
        *notTaken = handedOver ? std::vector<std::string>() : std::move(paths);
    return handedOver;
}

status_t InstanceChannel::Listen(Callback callback) {
    if (!callback)
        return B_BAD_VALUE;
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (fListener.IsRunning())
        return B_NOT_ALLOWED;
    if (fLockWasHeld)
        return B_TIMED_OUT;
    switch (Decide(nullptr)) {
    case Outcome::kListening:
        break;
    case Outcome::kHandedOver:
    case Outcome::kPeerGone:
    case Outcome::kBusy:
        return B_BUSY;
    case Outcome::kLockHeld:
        return B_TIMED_OUT;
    case Outcome::kFailed:
        return B_ERROR;
    }
    return fListener.Start(fListenFd.Get(), {fTimings.serve, fTimings.acceptRetry},
                           std::move(callback));
}

void InstanceChannel::Close() {
    fListener.Stop();
    if (fListenFd.IsValid()) {
        // The file is removed while the socket still listens, so no other
        // start can have found the name free and bound a socket of its own
        // there in the meantime.
        struct stat info {};
        if (::lstat(fSocketPath.c_str(), &info) == 0 && info.st_dev == fSocketDevice &&
            info.st_ino == fSocketInode)
            ::unlink(fSocketPath.c_str());
        fListenFd.Reset();
    }
}

InstanceChannel::Outcome InstanceChannel::Decide(std::vector<std::string>* paths) {
    if (fListenFd.IsValid())
        return Outcome::kListening;
    sockaddr_un address;
    if (!socket_io::MakeAddress(fSocketPath, &address))
        return Outcome::kFailed;

    Descriptor lock(::open(fLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.IsValid())
        return Outcome::kFailed;
    // Another start holds the lock only for a moment. One that keeps it (a
    // stopped or stuck process, or one that took the file for something
    // else) must not hold this start up for good.
    bool locked = false;
    for (auto deadline = Clock::now() + fTimings.lock;;) {
        if (::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            break;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Outcome::kFailed;
        if (Clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(fTimings.lockRetry);
    }

    Descriptor peer(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!peer.IsValid())
        return Outcome::kFailed;
    auto connectMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(fTimings.connect).count();
    timeval limit{static_cast<time_t>(connectMicroseconds / 1000000),
                  static_cast<suseconds_t>(connectMicroseconds % 1000000)};
    ::setsockopt(peer.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int connected =
        ::connect(peer.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    int connectError = errno;

    if (connected == 0) {
        // Somebody runs. The lock is only for deciding: it is let go before
        // the possibly slow hand-over.
        lock.Reset();
        if (paths == nullptr || !socket_io::PeerIsUs(peer.Get()))
            return Outcome::kBusy;
        switch (hand_over::Send(peer.Get(), paths, fTimings.answer)) {
        case hand_over::Result::kHandedOver:
            return Outcome::kHandedOver;
        case hand_over::Result::kPeerGone:
            return Outcome::kPeerGone;
        case hand_over::Result::kBusy:
            return Outcome::kBusy;
        case hand_over::Result::kFailed:
            return Outcome::kFailed;
        }
        return Outcome::kFailed;
    }
    peer.Reset();

    if (!locked) {
        // Nobody answers, and binding without the lock could displace a
        // start that is binding right now: run alone instead, and say why.
        lock.Reset();
        fLockWasHeld = true;
        std::fprintf(stderr,
                     "%s: the lock file %s has been held by another process for %g seconds; "
                     "this start runs on its own and takes no files from later starts.\n",
                     program_invocation_short_name, fLockPath.c_str(),
                     std::chrono::duration<double>(fTimings.lock).count());
        return Outcome::kLockHeld;
    }

    // Only a refused connection or a missing file means nobody runs. A full
    // backlog or a timeout means somebody does, and is not displaced. The
    // lock is let go only once the socket is bound.
    if (connectError != ECONNREFUSED && connectError != ENOENT)
        return Outcome::kBusy;
    return Bind() == B_OK ? Outcome::kListening : Outcome::kFailed;
}

status_t InstanceChannel::Bind() {
    sockaddr_un address;
    if (!socket_io::MakeAddress(fSocketPath, &address))
        return B_NAME_TOO_LONG;
    // What a killed instance left behind goes; anything but a socket under
    // our name is not ours to remove.
    struct stat info {};
    if (::lstat(fSocketPath.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return B_FILE_EXISTS;
        if (::unlink(fSocketPath.c_str()) != 0 && errno != ENOENT)
            return status_from_errno(errno);
    }

    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.IsValid())
        return status_from_errno(errno);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.Get(), 64) != 0 || ::lstat(fSocketPath.c_str(), &info) != 0)
        return status_from_errno(errno);
    fSocketDevice = info.st_dev;
    fSocketInode = info.st_ino;
    fListenFd = std::move(fd);
    return B_OK;
}
