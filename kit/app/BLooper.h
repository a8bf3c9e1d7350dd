#pragma once

// A handler with a thread and a message queue of its own. The looper holds
// its recursive lock while it dispatches a message, so its handlers run under
// that lock; other threads take the same lock to touch the looper's state.
//
// Posting never takes the lock: the queue has its own small mutex.

#include <kit/app/BHandler.h>

#include <memory>
#include <unordered_map>

namespace kit_private {
class LooperPort;
class LooperAccess;
} // namespace kit_private

class BLooper : public BHandler {
public:
    explicit BLooper(const char* name = nullptr);
    ~BLooper() override;

    // Starts the looper's thread. Thread: any, once; later calls do nothing.
    virtual void Run();
    // Ends the looper. On its own thread: the loop ends after the current
    // message and the looper is torn down. On any other thread: the looper
    // finishes the messages already queued, is torn down, and Quit returns
    // once its thread has ended, having released every hold the caller had on
    // the lock. Either way the looper object must not be touched afterwards.
    virtual void Quit();
    // Asked before quitting on B_QUIT_REQUESTED. Thread: the looper's.
    virtual bool QuitRequested();

    // Thread: any. Fails with B_BAD_PORT_ID once the looper has quit and
    // B_BAD_HANDLER if the handler belongs to another looper.
    status_t PostMessage(uint32 what, BHandler* handler = nullptr);
    status_t PostMessage(const BMessage* message, BHandler* handler = nullptr);

    // Thread: any. Lock fails once the looper has been torn down.
    bool Lock();
    void Unlock();
    bool IsLocked() const;
    int32 CountLocks() const;

    // Thread: the lock holder.
    void AddHandler(BHandler* handler);
    bool RemoveHandler(BHandler* handler);
    int32 CountHandlers() const { return static_cast<int32>(fHandlers.size()); }
    BHandler* HandlerForToken(uint64 token) const;
    BMessage* CurrentMessage() const { return fCurrentMessage; }

    // Hands a message to its handler. Subclasses catch the codes they treat
    // as hooks and pass the rest on. Thread: the looper's, locked.
    virtual void DispatchMessage(BMessage* message, BHandler* handler);

    // A fault unless the caller holds the lock, or the looper's thread has
    // not started yet (while a looper is being built, its maker may touch
    // it freely). Thread: any.
    void AssertLocked() const;

    bool IsRunning() const;
    // True on the looper's own thread.
    bool IsLooperThread() const;

protected:
    // Called on the outermost unlock, just before the lock is released.
    virtual void WillUnlock() {}
    // Called on the looper's thread after its loop has ended, with the lock
    // held. The default deletes the looper.
    virtual void LoopEnded();

private:
    friend class kit_private::LooperAccess;

    void Loop();
    void TearDown();
    void MarkQuitting();

    std::shared_ptr<kit_private::LooperPort> fPort;
    std::unordered_map<uint64, BHandler*> fHandlers;
    BMessage* fCurrentMessage = nullptr;
    bool fQuitting = false; // touched only by the looper's thread, under the lock
};
