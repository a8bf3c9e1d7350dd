#include <kit/app/private/SocketIo.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kit_private::socket_io {

bool WaitReady(int fd, short events, Clock::time_point deadline, int stopFd) {
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

Io ReadExact(int fd, void* data, size_t size, Clock::time_point deadline, int stopFd) {
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
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitReady(fd, POLLIN, deadline, stopFd))
            return Io::kFailed;
    }
    return Io::kDone;
}

Io WriteAll(int fd, const void* data, size_t size, Clock::time_point deadline, int stopFd) {
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
            !WaitReady(fd, POLLOUT, deadline, stopFd))
            return Io::kFailed;
    }
    return Io::kDone;
}

ssize_t SendWithDescriptor(int fd, const void* data, size_t size, int descriptor) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{const_cast<void*>(data), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &descriptor, sizeof descriptor);
    return ::sendmsg(fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
}

Io SendAllWithDescriptor(int fd, const void* data, size_t size, int descriptor,
                         Clock::time_point deadline) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (;;) {
        ssize_t count = SendWithDescriptor(fd, data, size, descriptor);
        if (count > 0) {
            size_t sent = static_cast<size_t>(count);
            return WriteAll(fd, bytes + sent, size - sent, deadline);
        }
        if (count < 0 && (errno == EPIPE || errno == ECONNRESET))
            return Io::kClosed;
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) ||
            !WaitReady(fd, POLLOUT, deadline))
            return Io::kFailed;
    }
}

ssize_t ReceiveWithDescriptor(int fd, void* data, size_t size, Descriptor* descriptor,
                              bool* surplus) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{data, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t count = ::recvmsg(fd, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    *surplus = false;
    if (count < 0)
        return count;
    *surplus = (message.msg_flags & MSG_CTRUNC) != 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        size_t descriptors = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < descriptors; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(header) + i * sizeof(int), sizeof received);
            if (descriptor->IsValid()) {
                ::close(received);
                *surplus = true;
            } else {
                descriptor->Reset(received);
            }
        }
    }
    return count;
}

bool PeerIsUs(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           length == sizeof credentials && credentials.uid == ::geteuid();
}

bool MakeAddress(const std::string& path, sockaddr_un* address) {
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace kit_private::socket_io
