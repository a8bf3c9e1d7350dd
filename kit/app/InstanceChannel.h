#pragma once

// Files handed to a program that is already running. A second start of the
// same application by the same user hands its absolute paths to the running
// instance and exits; the first start listens for such hand-overs.
//
// The channel is a Unix-domain stream socket in the user's runtime folder
// ($XDG_RUNTIME_DIR, or a private folder under /tmp named with the user id),
// named after the application's signature. A lock file beside it (flock) is
// held while a start decides whether to hand over or to listen, so that two
// starts at once cannot both become the running instance. A start always
// tries to connect first; only when nobody answers is a stale socket file
// removed and a new one bound. A running instance that answers but does not
// take the paths is never replaced.
//
// A hand-over is one frame:
//   "MFHO", version (1), the number of paths, then per path its length and
//   its bytes; every number a 32-bit unsigned integer, most significant byte
//   first. Paths are absolute and hold no NUL byte.
// The running instance answers "MFOK" once it has taken the paths. Anything
// else on the socket (another user, a bad header, a bad or oversized path, a
// frame that is cut short or comes too slowly) is dropped without an answer.
//
// Thread: the methods are called by the thread that starts the application;
// the callback runs on the channel's own listener thread.

#include "app/SupportDefs.h"

#include <functional>
#include <pthread.h>
#include <string>
#include <sys/types.h>
#include <vector>

class InstanceChannel {
public:
    // Receives the paths of one hand-over; an empty list asks the running
    // instance to bring its window to the front.
    using Callback = std::function<void(std::vector<std::string> paths)>;

    // The bounds of one hand-over.
    static constexpr uint32 kMaxPaths = 10000;
    static constexpr uint32 kMaxPathLength = 4095;
    static constexpr uint32 kMaxFrameBytes = 8 * 1024 * 1024;

    explicit InstanceChannel(const std::string& signature);
    // Closes the channel.
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // B_OK when the runtime folder is usable; otherwise the channel does
    // nothing and the program runs on its own.
    status_t InitCheck() const { return fInitStatus; }

    // True when another instance of the same user is running and took the
    // paths, so that this start may exit. False otherwise; when no other
    // instance runs, this one has become the running instance and Listen
    // starts taking hand-overs. Paths that are not absolute are refused.
    bool TryHandOver(const std::vector<std::string>& absolutePaths);

    // Starts taking hand-overs on a thread of the channel's own, calling
    // callback there for each one. B_BUSY when another instance is running,
    // which is never displaced.
    status_t Listen(Callback callback);

    // Stops listening, joins the listener thread and removes the socket file
    // if it is still ours. Not from the callback.
    void Close();

    bool IsListening() const { return fThreadStarted; }
    const std::string& SocketPath() const { return fSocketPath; }

private:
    enum class Outcome { kHandedOver, kListening, kPeerGone, kBusy, kFailed };

    // Decides, under the lock file, between handing paths over (or, without
    // paths, just finding a running instance) and binding the socket.
    Outcome Decide(const std::vector<std::string>* paths);
    status_t Bind();
    static void* ThreadEntry(void* self);
    void Loop();
    void Serve(int connection);

    std::string fSocketPath;
    std::string fLockPath;
    status_t fInitStatus = B_NO_INIT;

    int fListenFd = -1;
    dev_t fSocketDevice = 0;
    ino_t fSocketInode = 0;
    int fStopFd = -1;
    pthread_t fThread{};
    bool fThreadStarted = false;
    Callback fCallback;
};
