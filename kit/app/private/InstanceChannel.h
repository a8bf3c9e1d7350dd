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
// take the paths is never replaced. A lock that some other process keeps
// for longer than a few seconds does not hold the start up: it hands over if
// somebody answers, and otherwise runs on its own without listening, saying
// so on standard error.
//
// A hand-over is a series of frames (see HandOverFrame), each with up to
// HandOverFrame::kMaxPaths paths, so that any number of paths can be handed
// over while the running instance holds at most one bounded frame per
// connection. With each frame the sender passes a token: an eventfd holding
// the count 1 (SCM_RIGHTS, attached to the frame's first bytes). Whoever
// reads that count owns the frame's paths, and a read hands the count to
// exactly one reader:
//   - the running instance reads a whole frame, then the token; only when it
//     got the count does it deliver the paths, and then it answers "MFOK";
//   - the sender waits for "MFOK" up to its deadline; without it, it reads
//     the token itself: the count means the paths were not taken and stay
//     with the sender, nothing means the running instance took them.
// So a path is delivered by exactly one of the two, even when the sender's
// deadline passes at the moment the running instance reads the frame, or
// the running instance is stopped and goes on later.
//
// The pieces: SocketIo (reads and writes with deadlines, descriptor
// passing), HandOver (the sender's side and the token), InstanceListener
// (the running instance's thread). This class decides which of the two a
// start becomes.
//
// Thread: the methods are called by the thread that starts the application;
// the callback runs on the channel's own listener thread.

#include <kit/app/SupportDefs.h>

#include <kit/app/private/Descriptor.h>
#include <kit/app/private/InstanceListener.h>

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// How long the channel waits for what. The defaults are what a program
// needs; tests that provoke each wait give shorter ones.
struct InstanceChannelTimings {
    // A well-behaved sender writes each frame at once, so the running
    // instance gives a connection only a short while per frame; a peer that
    // is slower or stalls is dropped. Connections are served side by side,
    // so the wait costs nobody else anything.
    std::chrono::milliseconds serve{3000};
    // How long the sender waits for the running instance to take one frame
    // before it takes the frame's paths back.
    std::chrono::milliseconds answer{5000};
    // How long a start waits for the lock file that another start holds
    // while deciding; deciding takes milliseconds.
    std::chrono::milliseconds lock{3000};
    // The pause between two tries to take that lock.
    std::chrono::milliseconds lockRetry{10};
    // Connecting blocks only while the running instance's backlog is full.
    std::chrono::milliseconds connect{5000};
    // The listener's pause before accepting again when it ran out of
    // descriptors.
    std::chrono::milliseconds acceptRetry{100};
};

class InstanceChannel {
public:
    // Receives the paths of one frame of a hand-over; an empty list asks the
    // running instance to bring its window to the front.
    using Callback = std::function<void(std::vector<std::string> paths)>;

    explicit InstanceChannel(const std::string& signature,
                             const InstanceChannelTimings& timings = {});
    // Closes the channel.
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // B_OK when the runtime folder is usable; otherwise the channel does
    // nothing and the program runs on its own.
    status_t InitCheck() const { return fInitStatus; }

    // True when another instance of the same user is running and took all
    // the paths, so that this start may exit. False otherwise, and then
    // notTaken (if given) holds the paths that this start must open itself:
    // all of them, or those left when the running instance stopped answering
    // after it took some. When no other instance runs, this one has become
    // the running instance and Listen starts taking hand-overs. Paths that
    // are not absolute are refused, and nothing is sent.
    bool TryHandOver(const std::vector<std::string>& absolutePaths,
                     std::vector<std::string>* notTaken = nullptr);

    // Starts taking hand-overs on a thread of the channel's own, calling
    // callback there for each frame. B_BUSY when another instance is
    // running, which is never displaced; B_TIMED_OUT when the lock file
    // stayed taken and this start runs on its own.
    status_t Listen(Callback callback);

    // Stops listening, joins the listener thread and removes the socket file
    // if it is still ours. Not from the callback.
    void Close();

    bool IsListening() const { return fListener.IsRunning(); }
    const std::string& SocketPath() const { return fSocketPath; }
    const std::string& LockPath() const { return fLockPath; }

private:
    enum class Outcome { kHandedOver, kListening, kPeerGone, kBusy, kLockHeld, kFailed };

    // Decides, under the lock file, between handing paths over (or, without
    // paths, just finding a running instance) and binding the socket.
    Outcome Decide(std::vector<std::string>* paths);
    status_t Bind();

    InstanceChannelTimings fTimings;
    std::string fSocketPath;
    std::string fLockPath;
    status_t fInitStatus = B_NO_INIT;
    bool fLockWasHeld = false;

    kit_private::Descriptor fListenFd;
    dev_t fSocketDevice = 0;
    ino_t fSocketInode = 0;
    kit_private::InstanceListener fListener;
};
