#include <kit/app/private/InstanceListener.h>

#include <kit/app/private/HandOver.h>
#include <kit/app/private/HandOverFrame.h>
#include <kit/app/private/SocketIo.h>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kit_private {

using socket_io::Clock;

namespace {

// Connections served at once; more wait in the backlog until one is done.
// Each holds at most one frame, which bounds the memory a hand-over takes.
constexpr size_t kMaxConnections = 32;

} // namespace

// One connection that the running instance serves.
struct InstanceListener::Connection {
    Descriptor fd;
    Descriptor token;
    Clock::time_point deadline;
    HandOverFrame frame;
};

InstanceListener::~InstanceListener() {
    Stop();
}

status_t InstanceListener::Start(int listenFd, Timings timings, Callback callback) {
    if (fThread.joinable())
        return B_NOT_ALLOWED;
    fStop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fStop.IsValid())
        return status_from_errno(errno);
    fListenFd = listenFd;
    fTimings = timings;
    fCallback = std::move(callback);
    fThread = std::thread([this] { Loop(); });
    return B_OK;
}

void InstanceListener::Stop() {
    if (fThread.joinable()) {
        uint64 one = 1;
        while (::write(fStop.Get(), &one, sizeof one) < 0 && errno == EINTR) {
        }
        fThread.join();
    }
    fStop.Reset();
}

void InstanceListener::Loop() {
    std::vector<Connection> connections;
    std::vector<char> buffer(64 * 1024);
    std::vector<pollfd> fds;
    for (;;) {
        auto now = Clock::now();
        // Connections past their deadline go.
        std::erase_if(connections,
                      [now](const Connection& connection) { return connection.deadline <= now; });
        int timeout = -1;
        for (const Connection& connection : connections) {
            auto left =
                std::chrono::ceil<std::chrono::milliseconds>(connection.deadline - now).count();
            if (timeout < 0 || left < timeout)
                timeout = static_cast<int>(std::max<long long>(left, 0));
        }

        fds.clear();
        fds.push_back({fStop.Get(), POLLIN, 0});
        bool accepting = connections.size() < kMaxConnections;
        fds.push_back({accepting ? fListenFd : -1, POLLIN, 0});
        for (const Connection& connection : connections)
            fds.push_back({connection.fd.Get(), POLLIN, 0});
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
                connections[i] = Connection(); // closes it now
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
}

void InstanceListener::Accept(std::vector<Connection>* connections) {
    while (connections->size() < kMaxConnections) {
        Descriptor fd(::accept4(fListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.IsValid()) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The connection stays pending; wait a little instead of
                // spinning.
                pollfd stop{fStop.Get(), POLLIN, 0};
                ::poll(&stop, 1, static_cast<int>(fTimings.acceptRetry.count()));
            }
            return;
        }
        // Only the same user may hand files over: anybody else is dropped
        // before a byte is read.
        if (!socket_io::PeerIsUs(fd.Get()))
            continue;
        Connection connection;
        connection.fd = std::move(fd);
        connection.deadline = Clock::now() + fTimings.serve;
        connections->push_back(std::move(connection));
    }
}

bool InstanceListener::Serve(Connection* connection, char* buffer, size_t size) {
    bool atStart = connection->frame.AtStart();
    Descriptor received;
    bool surplus = false;
    ssize_t count =
        socket_io::ReceiveWithDescriptor(connection->fd.Get(), buffer, size, &received, &surplus);
    if (count < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

    // A token is taken only with the first bytes of a frame; descriptors
    // anywhere else, or more than one, end the connection.
    if (received.IsValid()) {
        if (atStart && !connection->token.IsValid())
            connection->token = std::move(received);
        else
            surplus = true;
    }
    if (count == 0 || surplus)
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

bool InstanceListener::Deliver(Connection* connection) {
    Descriptor token = std::move(connection->token);
    bool owned =
        token.IsValid() && hand_over::IsToken(token.Get()) && hand_over::Claim(token.Get());
    token.Reset();
    // Without the token's count, the sender has taken its paths back.
    if (!owned)
        return false;
    fCallback(connection->frame.TakePaths());
    // The next frame gets a deadline of its own. The answer goes into an
    // empty send buffer at once; a peer that lets answers pile up is dropped
    // rather than waited for.
    connection->deadline = Clock::now() + fTimings.serve;
    return ::send(connection->fd.Get(), hand_over::kAcknowledgement,
                  sizeof hand_over::kAcknowledgement, MSG_DONTWAIT | MSG_NOSIGNAL) ==
           static_cast<ssize_t>(sizeof hand_over::kAcknowledgement);
}

} // namespace kit_private
