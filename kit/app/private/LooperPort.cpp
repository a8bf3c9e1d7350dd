#include <kit/app/private/LooperPort.h>

#include <kit/app/Verify.h>
#include <kit/kernel/private/ShortSlice.h>

#include <cstdlib>
#include <vector>

namespace kit_private {

namespace {

// Every port whose thread was started and not yet joined, so that the
// application can join the threads of loopers that quit on their own, and
// the program's end those of loopers still running.
std::mutex sStartedMutex;
std::vector<std::shared_ptr<LooperPort>> sStarted;
bool sEndAtExitRegistered = false; // under sStartedMutex

thread_local LooperPort* tCurrent = nullptr;

} // namespace

status_t LooperPort::Push(Envelope envelope) {
    {
        std::lock_guard guard(fQueueMutex);
        if (fClosed)
            return B_BAD_PORT_ID;
        fQueue.push_back(std::move(envelope));
    }
    fQueueCondition.notify_one();
    return B_OK;
}

status_t LooperPort::PushOrMerge(Envelope envelope,
                                 const std::function<bool(Envelope& queued)>& merge) {
    {
        std::lock_guard guard(fQueueMutex);
        if (fClosed)
            return B_BAD_PORT_ID;
        for (auto queued = fQueue.rbegin(); queued != fQueue.rend(); ++queued)
            if (merge(*queued))
                return B_OK;
        fQueue.push_back(std::move(envelope));
    }
    fQueueCondition.notify_one();
    return B_OK;
}

bool LooperPort::Pop(Envelope* envelope) {
    std::unique_lock guard(fQueueMutex);
    fQueueCondition.wait(guard, [this] { return fClosed || !fQueue.empty(); });
    if (fClosed)
        return false;
    *envelope = std::move(fQueue.front());
    fQueue.pop_front();
    return true;
}

void LooperPort::Close() {
    std::deque<Envelope> dropped;
    {
        std::lock_guard guard(fQueueMutex);
        fClosed = true;
        dropped.swap(fQueue);
    }
    fQueueCondition.notify_all();
    // The dropped messages are destroyed here, outside the queue's mutex.
}

bool LooperPort::IsClosed() const {
    std::lock_guard guard(fQueueMutex);
    return fClosed;
}

size_t LooperPort::QueuedCount() const {
    std::lock_guard guard(fQueueMutex);
    return fQueue.size();
}

bool LooperPort::Lock() {
    // Only the looper's own thread may go on into a looper that is quitting.
    return Acquire(IsLooperThread());
}

bool LooperPort::LockForTearDown() {
    return Acquire(true);
}

bool LooperPort::Acquire(bool evenWhenQuitting) {
    if (IsLockedByCaller()) {
        ++fLockCount;
        return true;
    }
    // Checked before waiting, so that nobody queues up behind a quitting
    // looper, and again once the lock is ours, since the holder may have
    // decided to quit while we waited.
    if (fQuitting.load() && !evenWhenQuitting)
        return false;
    fLock.lock();
    if (fDead || (fQuitting.load() && !evenWhenQuitting)) {
        fLock.unlock();
        return false;
    }
    fOwner.store(std::this_thread::get_id());
    ++fLockCount;
    return true;
}

void LooperPort::Unlock() {
    KIT_VERIFY(IsLockedByCaller(), "a looper's lock released by a thread that does not hold it");
    // Holds after the first are counted, not taken again: the mutex is held
    // once, from the first Lock to the last Unlock.
    if (--fLockCount > 0)
        return;
    fOwner.store(std::thread::id{});
    fLock.unlock();
}

int32 LooperPort::CountLocksByCaller() const {
    return IsLockedByCaller() ? fLockCount : 0;
}

void LooperPort::MarkDead() {
    fDead = true;
}

void LooperPort::Start(std::function<void()> body) {
    auto self = shared_from_this();
    {
        std::lock_guard guard(fThreadMutex);
        if (fStarted)
            return;
        fStarted = true;
        fThread = std::thread([self, body = std::move(body)] {
            AskShortSlice();
            tCurrent = self.get();
            body();
            tCurrent = nullptr;
        });
    }
    std::lock_guard guard(sStartedMutex);
    sStarted.push_back(self);
    // Registered after the statics of the kit have been made, so it runs
    // before they are destroyed.
    if (!sEndAtExitRegistered) {
        sEndAtExitRegistered = true;
        std::atexit(&LooperPort::EndAllAtExit);
    }
}

void LooperPort::Join() {
    if (IsLooperThread())
        return;
    // Held for the whole join, so that a second caller returns only once the
    // thread has really ended.
    std::lock_guard join(fJoinMutex);
    std::thread thread;
    {
        std::lock_guard guard(fThreadMutex);
        thread = std::move(fThread);
    }
    if (thread.joinable())
        thread.join();
}

bool LooperPort::IsLooperThread() const {
    return tCurrent == this;
}

bool LooperPort::HasStarted() const {
    std::lock_guard guard(fThreadMutex);
    return fStarted;
}

LooperPort* LooperPort::Current() {
    return tCurrent;
}

void LooperPort::JoinAll() {
    std::vector<std::shared_ptr<LooperPort>> ports;
    {
        std::lock_guard guard(sStartedMutex);
        ports.swap(sStarted);
    }
    for (auto& port : ports)
        port->Join();
}

void LooperPort::EndAllAtExit() {
    // A looper's last hooks may start another looper: round after round
    // until none is left.
    for (;;) {
        std::vector<std::shared_ptr<LooperPort>> ports;
        {
            std::lock_guard guard(sStartedMutex);
            ports.swap(sStarted);
        }
        if (ports.empty())
            return;
        // Queued behind what was posted before, as a quit from another
        // thread is; a looper that has quit already refuses it. All are
        // asked before any is waited for, so that they wind down side by
        // side rather than one after the other.
        for (auto& port : ports) {
            Envelope quit;
            quit.message = std::make_unique<BMessage>(kQuitNow);
            port->Push(std::move(quit));
        }
        for (auto& port : ports)
            port->Join();
    }
}

} // namespace kit_private
