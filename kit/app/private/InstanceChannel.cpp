#include <kit/app/private/InstanceChannel.h>

#include <kit/app/private/HandOverFrame.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using kit_private::HandOverFrame;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kAcknowledgement[4] = {'M', 'F', 'O', 'K'};

// A well-behaved sender writes each frame at once, so the running instance
// gives a connection only a short while per frame; a peer that is slower or
// stalls is dropped. Connections are served side by side, so the wait costs
// nobody else anything.
constexpr auto kServeTime = std::chrono::seconds(3);
// How long the sender waits for the running instance to take one frame
// before it takes the frame's paths back.
constexpr auto kAnswerTime = std::chrono::seconds(5);
// How long a start waits for the lock file that another start holds while
// deciding; deciding takes milliseconds.
constexpr auto kLockTime = std::chrono::seconds(3);
// Connecting blocks only while the running instance's backlog is full.
constexpr int kConnectSeconds = 5;
// A hand-over that found the running instance going away is tried again.
constexpr int kHandOverAttempts = 3;
// Connections served at once; more wait in the backlog until one is done.
// Each holds at most one frame, which bounds the memory a hand-over takes.
constexpr size_t kMaxConnections = 32;

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

// A token as the sender makes it: an eventfd whose count of 1 goes to
// whoever reads it first.
bool is_token(int fd) {
    char link[64] = {};
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    ssize_t length = ::readlink(path.c_str(), link, sizeof link - 1);
    int flags = ::fcntl(fd, F_GETFL);
    // A token that could block would hold the listener up.
    return length > 0 && std::strcmp(link, "anon_inode:[eventfd]") == 0 && flags >= 0 &&
           (flags & O_NONBLOCK) != 0;
}

// True when this side read the token's count, and so owns the frame's paths.
bool claim(int token) {
    uint64 count = 0;
    ssize_t result;
    do
        result = ::read(token, &count, sizeof count);
    while (result < 0 && errno == EINTR);
    return result == static_cast<ssize_t>(sizeof count) && count != 0;
}

// Sends the frame's first bytes with the token attached, then the rest.
Io send_frame(int fd, const std::string& frame, int token, Clock::time_point deadline) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{const_cast<char*>(frame.data()), frame.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &token, sizeof token);
    for (;;) {
        ssize_t count = ::sendmsg(fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (count > 0) {
            size_t sent = static_cast<size_t>(count);
            return write_all(fd, frame.data() + sent, frame.size() - sent, deadline, -1);
        }
        if (count < 0 && (errno == EPIPE || errno == ECONNRESET))
            return Io::kClosed;
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) ||
            !wait_ready(fd, POLLOUT, deadline, -1))
            return Io::kFailed;
    }
}

} // namespace

// One connection that the running instance serves.
struct InstanceChannel::Connection {
    int fd = -1;
    int token = -1;
    Clock::time_point deadline;
    HandOverFrame frame;
};

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

bool InstanceChannel::TryHandOver(const std::vector<std::string>& absolutePaths,
                                  std::vector<std::string>* notTaken) {
    std::vector<std::string> paths = absolutePaths;
    bool handedOver = false;
    if (fInitStatus == B_OK && fListenFd < 0 && !fLockWasHeld &&
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
    if (fThreadStarted)
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

InstanceChannel::Outcome InstanceChannel::Decide(std::vector<std::string>* paths) {
    if (fListenFd >= 0)
        return Outcome::kListening;
    sockaddr_un address;
    if (!make_address(fSocketPath, &address))
        return Outcome::kFailed;

    int lock = ::open(fLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return Outcome::kFailed;
    // Another start holds the lock only for a moment. One that keeps it (a
    // stopped or stuck process, or one that took the file for something
    // else) must not hold this start up for good.
    bool locked = false;
    for (auto deadline = Clock::now() + kLockTime;;) {
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            break;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(lock);
            return Outcome::kFailed;
        }
        if (Clock::now() >= deadline)
            break;
        ::usleep(10000);
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
        if (paths != nullptr && peer_is_us(peer))
            outcome = HandOver(peer, paths);
        ::close(peer);
        return outcome;
    }
    ::close(peer);

    if (!locked) {
        // Nobody answers, and binding without the lock could displace a
        // start that is binding right now: run alone instead, and say why.
        ::close(lock);
        fLockWasHeld = true;
        std::fprintf(stderr,
                     "%s: the lock file %s has been held by another process for %d seconds; "
                     "this start runs on its own and takes no files from later starts.\n",
                     program_invocation_short_name, fLockPath.c_str(),
                     static_cast<int>(kLockTime.count()));
        return Outcome::kLockHeld;
    }

    // Only a refused connection or a missing file means nobody runs. A full
    // backlog or a timeout means somebody does, and is not displaced.
    Outcome outcome = Outcome::kBusy;
    if (connectError == ECONNREFUSED || connectError == ENOENT)
        outcome = Bind() == B_OK ? Outcome::kListening : Outcome::kFailed;
    ::close(lock);
    return outcome;
}

InstanceChannel::Outcome InstanceChannel::HandOver(int peer, std::vector<std::string>* paths) {
    size_t first = 0;
    do {
        std::string frame;
        size_t next = 0;
        if (!HandOverFrame::Build(*paths, first, &next, &frame))
            return Outcome::kFailed;
        int token = ::eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK);
        if (token < 0) {
            paths->erase(paths->begin(), paths->begin() + static_cast<long>(first));
            return Outcome::kFailed;
        }
        auto deadline = Clock::now() + kAnswerTime;
        char answer[sizeof kAcknowledgement];
        Io io = send_frame(peer, frame, token, deadline);
        if (io == Io::kDone)
            io = read_exact(peer, answer, sizeof answer, deadline, -1);
        bool acknowledged =
            io == Io::kDone && std::memcmp(answer, kAcknowledgement, sizeof answer) == 0;
        // Without the answer, whoever reads the token owns the paths.
        bool taken = acknowledged || !claim(token);
        ::close(token);
        if (!taken) {
            // Nothing of this frame arrived. A running instance that went away
            // before anything was taken is tried again from the start.
            paths->erase(paths->begin(), paths->begin() + static_cast<long>(first));
            return first == 0 && io == Io::kClosed ? Outcome::kPeerGone : Outcome::kBusy;
        }
        first = next;
        if (!acknowledged) {
            paths->erase(paths->begin(), paths->begin() + static_cast<long>(first));
            return paths->empty() ? Outcome::kHandedOver : Outcome::kBusy;
        }
    } while (first < paths->size());
    paths->clear();
    return Outcome::kHandedOver;
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
    std::vector<Connection> connections;
    std::vector<char> buffer(64 * 1024);
    std::vector<pollfd> fds;
    auto drop = [](Connection& connection) {
        if (connection.token >= 0)
            ::close(connection.token);
        ::close(connection.fd);
    };
    for (;;) {
        auto now = Clock::now();
        // Connections past their deadline go.
        for (auto it = connections.begin(); it != connections.end();) {
            if (it->deadline <= now) {
                drop(*it);
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
        int timeout = -1;
        for (const Connection& connection : connections) {
            auto left =
                std::chrono::ceil<std::chrono::milliseconds>(connection.deadline - now).count();
            if (timeout < 0 || left < timeout)
                timeout = static_cast<int>(std::max<long long>(left, 0));
        }

        fds.clear();
        fds.push_back({fStopFd, POLLIN, 0});
        bool accepting = connections.size() < kMaxConnections;
        fds.push_back({accepting ? fListenFd : -1, POLLIN, 0});
        for (const Connection& connection : connections)
            fds.push_back({connection.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;

        // Served oldest first, and before new ones are taken in, since fds
        // lines up with them.
        size_t kept = 0;
        for (size_t i = 0; i < connections.size(); ++i) {
            if (fds[i + 2].revents != 0 && !Serve(&connections[i], buffer.data(), buffer.size())) {
                drop(connections[i]);
                continue;
            }
            if (kept != i)
                connections[kept] = std::move(connections[i]);
            ++kept;
        }
        connections.resize(kept);
        if (accepting && fds[1].revents != 0)
            Accept(&connections);
    }
    for (Connection& connection : connections)
        drop(connection);
}

void InstanceChannel::Accept(std::vector<Connection>* connections) {
    while (connections->size() < kMaxConnections) {
        int fd = ::accept4(fListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The connection stays pending; wait a little instead of
                // spinning.
                pollfd stop{fStopFd, POLLIN, 0};
                ::poll(&stop, 1, 100);
            }
            return;
        }
        // Only the same user may hand files over: anybody else is dropped
        // before a byte is read.
        if (!peer_is_us(fd)) {
            ::close(fd);
            continue;
        }
        Connection connection;
        connection.fd = fd;
        connection.deadline = Clock::now() + kServeTime;
        connections->push_back(std::move(connection));
    }
}

bool InstanceChannel::Serve(Connection* connection, char* buffer, size_t size) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{buffer, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    bool atStart = connection->frame.AtStart();
    ssize_t count = ::recvmsg(connection->fd, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);

    // A token is taken only with the first bytes of a frame; descriptors
    // anywhere else, or more than one, end the connection.
    bool tokenFault = (message.msg_flags & MSG_CTRUNC) != 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); count >= 0 && header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        size_t descriptors = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < descriptors; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
            if (atStart && connection->token < 0 && i == 0) {
                connection->token = fd;
            } else {
                ::close(fd);
                tokenFault = true;
            }
        }
    }
    if (count < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (count == 0 || tokenFault)
        return false;

    size_t used = 0;
    while (used < static_cast<size_t>(count)) {
        used += connection->frame.Feed(buffer + used, static_cast<size_t>(count) - used);
        switch (connection->frame.GetState()) {
        case HandOverFrame::State::kNeedMore:
            break;
        case HandOverFrame::State::kBad:
            return false;
        case HandOverFrame::State::kComplete:
            if (!Deliver(connection))
                return false;
            break;
        }
    }
    return true;
}

bool InstanceChannel::Deliver(Connection* connection) {
    int token = connection->token;
    connection->token = -1;
    bool owned = token >= 0 && is_token(token) && claim(token);
    if (token >= 0)
        ::close(token);
    // Without the token's count, the sender has taken its paths back.
    if (!owned)
        return false;
    fCallback(connection->frame.TakePaths());
    // The next frame gets a deadline of its own. The answer goes into an
    // empty send buffer at once; a peer that lets answers pile up is dropped
    // rather than waited for.
    connection->deadline = Clock::now() + kServeTime;
    return ::send(connection->fd, kAcknowledgement, sizeof kAcknowledgement,
                  MSG_DONTWAIT | MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof kAcknowledgement);
}
