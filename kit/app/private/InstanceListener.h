#pragma once

// The running instance's side of the hand-over channel: a thread of its own
// that accepts connections on a listening socket and serves every one of
// them at once, each with a deadline of its own, so that a peer that is
// slow or never sends delays nobody else. A frame is delivered only when its
// token's count was read here (see HandOver), and then answered. Anything
// else (another user, a bad header, a bad or oversized path, a frame
// without its token, a frame cut short or coming too slowly) is dropped
// without an answer.
//
// Thread: Start and Stop from one thread; the callback runs on the
// listener's own thread.

#include <kit/app/SupportDefs.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <kit/app/private/Descriptor.h>

namespace kit_private {

class InstanceListener {
public:
    // Receives the paths of one frame; an empty list is a frame without
    // paths.
    using Callback = std::function<void(std::vector<std::string> paths)>;

    struct Timings {
        // The time a connection has for each frame before it is dropped.
        std::chrono::milliseconds serve;
        // The pause before accepting again when descriptors ran out.
        std::chrono::milliseconds acceptRetry;
    };

    InstanceListener() = default;
    // Stops the thread.
    ~InstanceListener();
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;

    // Starts serving listenFd, a listening non-blocking socket that stays
    // the caller's and must outlive the thread.
    status_t Start(int listenFd, Timings timings, Callback callback);
    // Ends the thread and drops the connections it served. Not from the
    // callback.
    void Stop();
    bool IsRunning() const { return fThread.joinable(); }

private:
    struct Connection;

    void Loop();
    void Accept(std::vector<Connection>* connections);
    // False when the connection is done with and must be dropped.
    bool Serve(Connection* connection, char* buffer, size_t size);
    bool Deliver(Connection* connection);

    int fListenFd = -1;
    Timings fTimings{};
    Callback fCallback;
    Descriptor fStop;
    std::thread fThread;
};

} // namespace kit_private
