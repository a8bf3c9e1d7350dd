#pragma once

// Reading and writing a local stream socket with a deadline, and passing a
// descriptor along with the bytes (SCM_RIGHTS). The socket may be blocking
// or not: every call here uses MSG_DONTWAIT and waits with poll, so that a
// deadline always holds, and none raises SIGPIPE.
//
// Thread: any; the calls keep no state.

#include <kit/app/private/Descriptor.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <sys/types.h>

struct sockaddr_un;

namespace kit_private::socket_io {

using Clock = std::chrono::steady_clock;

enum class Io { kDone, kClosed, kFailed };

// Waits until fd is ready for events, the deadline passes or stopFd (if not
// negative) becomes readable. True only in the first case.
bool WaitReady(int fd, short events, Clock::time_point deadline, int stopFd = -1);

// Reads exactly size bytes. kClosed when the other end closed first.
Io ReadExact(int fd, void* data, size_t size, Clock::time_point deadline, int stopFd = -1);

// Writes all size bytes. kClosed when the other end is gone.
Io WriteAll(int fd, const void* data, size_t size, Clock::time_point deadline, int stopFd = -1);

// One sendmsg of the bytes with descriptor attached, without blocking:
// answers what sendmsg answers (the count of bytes that went, or -1 with
// errno set). The descriptor travels with the first byte sent.
ssize_t SendWithDescriptor(int fd, const void* data, size_t size, int descriptor);

// Sends data with descriptor attached to its first bytes, then the rest.
Io SendAllWithDescriptor(int fd, const void* data, size_t size, int descriptor,
                         Clock::time_point deadline);

// One recvmsg without blocking, with room for one descriptor. What came
// with the bytes goes into *descriptor; *surplus is set when more came than
// that (the kernel drops those). Answers what recvmsg answers.
ssize_t ReceiveWithDescriptor(int fd, void* data, size_t size, Descriptor* descriptor,
                              bool* surplus);

// True when the other end of a connected socket runs as our own user.
bool PeerIsUs(int fd);

// The address of a socket file; false when the path does not fit.
bool MakeAddress(const std::string& path, sockaddr_un* address);

} // namespace kit_private::socket_io
