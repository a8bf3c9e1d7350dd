#pragma once

// A file descriptor that closes itself: every exit path of the code that
// holds one lets it go exactly once, and handing it on is a move.
//
// Thread: an object belongs to one thread at a time.

#include <unistd.h>

#include <utility>

namespace kit_private {

class Descriptor {
public:
    Descriptor() = default;
    // Takes over fd; a negative value holds nothing.
    explicit Descriptor(int fd) : fFd(fd) {}
    ~Descriptor() { Reset(); }

    Descriptor(Descriptor&& other) noexcept : fFd(other.Release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fFd; }
    bool IsValid() const { return fFd >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fFd, -1); }
    // Closes what is held and takes over fd.
    void Reset(int fd = -1) {
        int old = std::exchange(fFd, fd);
        if (old >= 0)
            ::close(old);
    }

private:
    int fFd = -1;
};

} // namespace kit_private
