#include <kit/app/private/HandOver.h>

#include <kit/app/private/HandOverFrame.h>
#include <kit/app/private/SocketIo.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kit_private::hand_over {

using socket_io::Clock;
using socket_io::Io;

Descriptor MakeToken() {
    return Descriptor(::eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK));
}

bool IsToken(int fd) {
    char link[64] = {};
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    ssize_t length = ::readlink(path.c_str(), link, sizeof link - 1);
    int flags = ::fcntl(fd, F_GETFL);
    return length > 0 && std::strcmp(link, "anon_inode:[eventfd]") == 0 && flags >= 0 &&
           (flags & O_NONBLOCK) != 0;
}

bool Claim(int token) {
    uint64 count = 0;
    ssize_t result;
    do
        result = ::read(token, &count, sizeof count);
    while (result < 0 && errno == EINTR);
    return result == static_cast<ssize_t>(sizeof count) && count != 0;
}

Result Send(int peer, std::vector<std::string>* paths, std::chrono::milliseconds answerTime) {
    // Drops the paths before first, which the running instance has taken.
    auto keepFrom = [paths](size_t first) {
        paths->erase(paths->begin(), paths->begin() + static_cast<long>(first));
    };
    size_t first = 0;
    do {
        std::string frame;
        size_t next = 0;
        if (!HandOverFrame::Build(*paths, first, &next, &frame))
            return Result::kFailed;
        Descriptor token = MakeToken();
        if (!token.IsValid()) {
            keepFrom(first);
            return Result::kFailed;
        }
        auto deadline = Clock::now() + answerTime;
        char answer[sizeof kAcknowledgement];
        Io io = socket_io::SendAllWithDescriptor(peer, frame.data(), frame.size(), token.Get(),
                                                 deadline);
        if (io == Io::kDone)
            io = socket_io::ReadExact(peer, answer, sizeof answer, deadline);
        bool acknowledged =
            io == Io::kDone && std::memcmp(answer, kAcknowledgement, sizeof answer) == 0;
        // Without the answer, whoever reads the token owns the paths.
        bool taken = acknowledged || !Claim(token.Get());
        if (!taken) {
            // Nothing of this frame arrived. A running instance that went away
            // before anything was taken is tried again from the start.
            keepFrom(first);
            return first == 0 && io == Io::kClosed ? Result::kPeerGone : Result::kBusy;
        }
        first = next;
        if (!acknowledged) {
            keepFrom(first);
            return paths->empty() ? Result::kHandedOver : Result::kBusy;
        }
    } while (first < paths->size());
    paths->clear();
    return Result::kHandedOver;
}

} // namespace kit_private::hand_over
