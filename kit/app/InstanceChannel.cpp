#include "app/InstanceChannel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMagic[4] = {'M', 'F', 'H', 'O'};
constexpr char kAcknowledgement[4] = {'M', 'F', 'O', 'K'};
constexpr uint32 kVersion = 1;
constexpr size_t kHeaderBytes = 12;

// A well-behaved sender writes its whole frame at once, so the running
// instance gives each connection only a short while; a peer that is slower
// or stalls is dropped, and the next one is taken.
constexpr auto kServeTime = std::chrono::seconds(3);
// The sending side may wait behind such a peer, and for the callback.
constexpr auto kHandOverTime = std::chrono::seconds(20);
// Connecting blocks only while the running instance's backlog is full.
constexpr int kConnectSeconds = 5;
// A hand-over that found the running instance going away is tried again.
constexpr int kHandOverAttempts = 3;

enum class Io { kDone, kClosed, kFailed };

// Waits until fd is ready for events, the deadline passes or stopFd (if any)
// becomes readable. True only in the first case.
bool wait_ready(int fd, short events, Clock::time_point deadline, int stopFd) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        int result = ::poll(fds, stopFd >= 0 ? 2 : 1, static_cast<int>(left.count()));
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (result == 0)
            continue;
        if (stopFd >= 0 && fds[1].revents != 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

Io read_exact(int fd, void* data, size_t size, Clock::time_point deadline, int stopFd) {
    auto* bytes = static_cast<unsigned char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t count = ::recv(fd, bytes + done, size - done, MSG_DONTWAIT);
        if (count > 0) {
            done += static_cast<size_t>(count);
            continue;
        }
        if (count == 0 || errno == ECONNRESET)
            return Io::kClosed;
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !wait_ready(fd, POLLIN, deadline, stopFd))
            return Io::kFailed;
    }
    return Io::kDone;
}

Io write_all(int fd, const void* data, size_t size, Clock::time_point deadline, int stopFd) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t count = ::send(fd, bytes + done, size - done, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (count > 0) {
            done += static_cast<size_t>(count);
            continue;
        }
        if (count < 0 && (errno == EPIPE || errno == ECONNRESET))
            return Io::kClosed;
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) ||
            !wait_ready(fd, POLLOUT, deadline, stopFd))
            return Io::kFailed;
    }
    return Io::kDone;
}

uint32 get_number(const unsigned char* bytes) {
    return (static_cast<uint32>(bytes[0]) << 24) | (static_cast<uint32>(bytes[1]) << 16) |
           (static_cast<uint32>(bytes[2]) << 8) | static_cast<uint32>(bytes[3]);
}

void put_number(std::string* frame, uint32 number) {
    frame->push_back(static_cast<char>(number >> 24));
    frame->push_back(static_cast<char>(number >> 16));
    frame->push_back(static_cast<char>(number >> 8));
    frame->push_back(static_cast<char>(number));
}

bool is_handover_path(std::string_view path) {
    return !path.empty() && path.size() <= InstanceChannel::kMaxPathLength && path.front() == '/' &&
           path.find('\0') == std::string_view::npos;
}

// True when the other end of a connected socket runs as our own user.
bool peer_is_us(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           length == sizeof credentials && credentials.uid == ::geteuid();
}

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

bool make_address(const std::string& path, sockaddr_un* address) {
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// The frame for paths, or empty when they do not fit the bounds.
std::string build_frame(const std::vector<std::string>& paths) {
    if (paths.size() > InstanceChannel::kMaxPaths)
        return {};
    std::string frame(kMagic, sizeof kMagic);
    put_number(&frame, kVersion);
    put_number(&frame, static_cast<uint32>(paths.size()));
    for (const std::string& path : paths) {
        if (!is_handover_path(path) ||
            frame.size() + 4 + path.size() > InstanceChannel::kMaxFrameBytes)
            return {};
        put_number(&frame, static_cast<uint32>(path.size()));
        frame += path;
    }
    return frame;
}

} // namespace

InstanceChannel::InstanceChannel(const std::string& signature) {
    std::string folder;
    fInitStatus = runtime_folder(&folder);
    if (fInitStatus != B_OK)
        return;
    std::string base = folder + (folder.back() == '/' ? "" : "/") + leaf_for(signature);
    fSocketPath = base + ".socket";
    fLockPath = base + ".lock";
    sockaddr_un address;
    if (!make_address(fSocketPath, &address))
        fInitStatus = B_NAME_TOO_LONG;
}

InstanceChannel::~InstanceChannel() {
    Close();
}

bool InstanceChannel::TryHandOver(const std::vector<std::string>& absolutePaths) {
    if (fInitStatus != B_OK || fListenFd >= 0)
        return false;
    if (build_frame(absolutePaths).empty())
        return false;
    for (int attempt = 0; attempt < kHandOverAttempts; ++attempt) {
        Outcome outcome = Decide(&absolutePaths);
        if (outcome != Outcome::kPeerGone)
            return outcome == Outcome::kHandedOver;
    }
    return false;
}

status_t InstanceChannel::Listen(Callback callback) {
    if (!callback)
        return B_BAD_VALUE;
    if (fInitStatus != B_OK)
        return fInitStatus;
    if (fThreadStarted)
        return B_NOT_ALLOWED;
    switch (Decide(nullptr)) {
    case Outcome::kListening:
        break;
    case Outcome::kHandedOver:
    case Outcome::kPeerGone:
    case Outcome::kBusy:
        return B_BUSY;
    case Outcome::kFailed:
        return B_ERROR;
    }

    fStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fStopFd < 0)
        return status_from_errno(errno);
    fCallback = std::move(callback);
    if (int error = ::pthread_create(&fThread, nullptr, &InstanceChannel::ThreadEntry, this)) {
        ::close(fStopFd);
        fStopFd = -1;
        return status_from_errno(error);
    }
    fThreadStarted = true;
    return B_OK;
}

void InstanceChannel::Close() {
    if (fThreadStarted) {
        uint64 one = 1;
        while (::write(fStopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        ::pthread_join(fThread, nullptr);
        fThreadStarted = false;
    }
    if (fStopFd >= 0) {
        ::close(fStopFd);
        fStopFd = -1;
    }
    if (fListenFd >= 0) {
        // The file is removed while the socket still listens, so no other
        // start can have found the name free and bound a socket of its own
        // there in the meantime.
        struct stat info {};
        if (::lstat(fSocketPath.c_str(), &info) == 0 && info.st_dev == fSocketDevice &&
            info.st_ino == fSocketInode)
            ::unlink(fSocketPath.c_str());
        ::close(fListenFd);
        fListenFd = -1;
    }
}

InstanceChannel::Outcome InstanceChannel::Decide(const std::vector<std::string>* paths) {
    if (fListenFd >= 0)
        return Outcome::kListening;
    sockaddr_un address;
    if (!make_address(fSocketPath, &address))
        return Outcome::kFailed;

    int lock = ::open(fLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return Outcome::kFailed;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return Outcome::kFailed;
        }
    }

    int peer = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (peer < 0) {
        ::close(lock);
        return Outcome::kFailed;
    }
    timeval limit{kConnectSeconds, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int connected = ::connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    int connectError = errno;

    if (connected == 0) {
        // Somebody runs. The lock is only for deciding: it is let go before
        // the possibly slow hand-over.
        ::close(lock);
        Outcome outcome = Outcome::kBusy;
        if (paths != nullptr && peer_is_us(peer)) {
            std::string frame = build_frame(*paths);
            auto deadline = Clock::now() + kHandOverTime;
            char answer[sizeof kAcknowledgement];
            Io io = write_all(peer, frame.data(), frame.size(), deadline, -1);
            if (io == Io::kDone)
                io = read_exact(peer, answer, sizeof answer, deadline, -1);
            if (io == Io::kDone && std::memcmp(answer, kAcknowledgement, sizeof answer) == 0)
                outcome = Outcome::kHandedOver;
            else if (io == Io::kClosed)
                outcome = Outcome::kPeerGone;
        }
        ::close(peer);
        return outcome;
    }
    ::close(peer);

    // Only a refused connection or a missing file means nobody runs. A full
    // backlog or a timeout means somebody does, and is not displaced.
    Outcome outcome = Outcome::kBusy;
    if (connectError == ECONNREFUSED || connectError == ENOENT)
        outcome = Bind() == B_OK ? Outcome::kListening : Outcome::kFailed;
    ::close(lock);
    return outcome;
}

status_t InstanceChannel::Bind() {
    sockaddr_un address;
    if (!make_address(fSocketPath, &address))
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

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return status_from_errno(errno);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 || ::lstat(fSocketPath.c_str(), &info) != 0) {
        int error = errno;
        ::close(fd);
        return status_from_errno(error);
    }
    fSocketDevice = info.st_dev;
    fSocketInode = info.st_ino;
    fListenFd = fd;
    return B_OK;
}

void* InstanceChannel::ThreadEntry(void* self) {
    static_cast<InstanceChannel*>(self)->Loop();
    return nullptr;
}

void InstanceChannel::Loop() {
    for (;;) {
        pollfd fds[2] = {{fListenFd, POLLIN, 0}, {fStopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        int connection = ::accept4(fListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection >= 0) {
            Serve(connection);
            ::close(connection);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The connection stays pending; wait a little instead of spinning.
            pollfd stop{fStopFd, POLLIN, 0};
            ::poll(&stop, 1, 100);
        }
    }
}

void InstanceChannel::Serve(int connection) {
    if (!peer_is_us(connection))
        return;
    auto deadline = Clock::now() + kServeTime;

    unsigned char header[kHeaderBytes];
    if (read_exact(connection, header, sizeof header, deadline, fStopFd) != Io::kDone)
        return;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || get_number(header + 4) != kVersion)
        return;
    uint32 count = get_number(header + 8);
    if (count > kMaxPaths)
        return;

    std::vector<std::string> paths;
    paths.reserve(std::min<uint32>(count, 256));
    size_t total = kHeaderBytes;
    for (uint32 i = 0; i < count; ++i) {
        unsigned char lengthBytes[4];
        if (read_exact(connection, lengthBytes, sizeof lengthBytes, deadline, fStopFd) != Io::kDone)
            return;
        uint32 length = get_number(lengthBytes);
        total += sizeof lengthBytes + length;
        if (length == 0 || length > kMaxPathLength || total > kMaxFrameBytes)
            return;
        std::string path(length, '\0');
        if (read_exact(connection, path.data(), length, deadline, fStopFd) != Io::kDone)
            return;
        if (!is_handover_path(path))
            return;
        paths.push_back(std::move(path));
    }

    fCallback(std::move(paths));
    write_all(connection, kAcknowledgement, sizeof kAcknowledgement, deadline, fStopFd);
}
