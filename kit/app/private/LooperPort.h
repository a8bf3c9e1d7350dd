#pragma once

// The part of a looper that outlives it: its message queue, its lock and its
// thread. Messengers hold the port weakly, so a message for a looper that is
// gone is refused instead of touching freed memory, and a lock taken through a
// messenger fails once the looper has been torn down.
//
// Kit-private: application code uses BLooper and BMessenger.

#include <kit/app/BMessage.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class BLooper;

namespace kit_private {

// Asks a looper, from another thread, to end its loop once it has handled
// what was queued before.
constexpr uint32 kQuitNow = four_cc("_QIT");

struct Envelope {
    std::unique_ptr<BMessage> message;
    // The handler the message is for; 0 means the looper's preferred handler.
    uint64 handlerToken = 0;
};

class LooperPort : public std::enable_shared_from_this<LooperPort> {
public:
    explicit LooperPort(BLooper* looper) : fLooper(looper) {}

    // Queue. Push takes only the queue's mutex and never blocks on the lock.
    // Thread: any.
    status_t Push(Envelope envelope);
    // Offers each queued envelope, newest first, to merge, with the queue's
    // mutex held; once merge returns true (it has taken envelope's content
    // into that one) nothing is queued. Otherwise envelope is queued as Push
    // does. merge must be quick and must not touch any looper. Thread: any.
    status_t PushOrMerge(Envelope envelope, const std::function<bool(Envelope& queued)>& merge);
    // Waits for the next message; false once the port is closed.
    // Thread: the looper's own.
    bool Pop(Envelope* envelope);
    // Refuses further messages and drops the queued ones. Thread: any.
    void Close();
    bool IsClosed() const;
    size_t QueuedCount() const;

    // Recursive lock. Lock fails once the looper is dead, and, for every
    // thread but the looper's own and one that holds the lock already, once
    // the looper has begun to quit: a looper that agreed to quit is never
    // asked or handed work by another thread again. Thread: any.
    bool Lock();
    // Takes the lock whether or not the looper is quitting; false once it is
    // dead. Only the teardown uses it. Thread: any.
    bool LockForTearDown();
    // Releasing a lock the caller does not hold is a fault. Thread: the holder.
    void Unlock();
    bool IsLockedByCaller() const { return fOwner.load() == std::this_thread::get_id(); }
    // The number of times the calling thread holds the lock (0 if it does not).
    int32 CountLocksByCaller() const;
    // Marks the looper as torn down. Thread: the lock's holder.
    void MarkDead();
    // Marks the looper as quitting. Thread: the lock's holder.
    void MarkQuitting() { fQuitting.store(true); }
    bool IsQuitting() const { return fQuitting.load(); }
    // The looper, while it lives. Thread: the lock's holder.
    BLooper* Looper() const { return fDead ? nullptr : fLooper; }

    // Thread. Start runs body on a new thread, once; Join waits for it to end
    // and may be called from any thread but the looper's own, any number of times.
    void Start(std::function<void()> body);
    void Join();
    bool IsLooperThread() const;
    bool HasStarted() const;
    // The port of the looper whose thread is calling, or null.
    static LooperPort* Current();

    // Joins the threads of every port that has ended or is ending. Used when
    // the application winds down. Thread: any but a looper's.
    static void JoinAll();

private:
    bool Acquire(bool evenWhenQuitting);
    // Registered with atexit by the first Start: every looper whose thread
    // has not been joined by then finishes what was posted to it before the
    // program ended, is torn down and its thread joined, so that no thread of
    // ours runs on while the program's statics are destroyed. A looper busy
    // in a handler holds the exit up until the handler returns.
    static void EndAllAtExit();

    BLooper* fLooper;

    mutable std::mutex fQueueMutex;
    std::condition_variable fQueueCondition;
    std::deque<Envelope> fQueue;
    bool fClosed = false;

    std::mutex fLock; // held once by the owner; its holds are counted in fLockCount
    std::atomic<std::thread::id> fOwner{};
    int32 fLockCount = 0; // written only by the lock's holder
    bool fDead = false;   // written only by the lock's holder
    std::atomic<bool> fQuitting{false};

    std::mutex fJoinMutex;
    mutable std::mutex fThreadMutex;
    std::thread fThread;
    bool fStarted = false;
};

} // namespace kit_private
