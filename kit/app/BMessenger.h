#pragma once

// A weak address of a handler in a looper. Sending through a messenger whose
// looper has gone fails with B_BAD_PORT_ID instead of reaching freed memory.
// Copies are cheap and may be used from any thread.

#include <kit/app/BMessage.h>

#include <memory>

class BHandler;
class BLooper;

namespace kit_private {
class LooperPort;
class MessengerAccess;
} // namespace kit_private

class BMessenger {
public:
    BMessenger() = default;
    // Aims at the handler in its current looper (the looper itself, for a
    // looper). A handler outside any looper gives an invalid messenger.
    // Thread: the handler's lock holder, or any for a looper.
    explicit BMessenger(const BHandler* handler);

    // True while the target's looper has not quit. Thread: any.
    bool IsValid() const;

    // Thread: any.
    status_t SendMessage(uint32 what) const;
    status_t SendMessage(const BMessage* message) const;

    // Locks the target's looper; false if it is gone. On success the caller
    // may use Target() and must call Unlock() on that looper. Thread: any.
    bool LockTarget() const;
    // The target, valid only while its looper is locked by the caller.
    BHandler* Target(BLooper** looper) const;

    bool operator==(const BMessenger& other) const;
    bool operator!=(const BMessenger& other) const { return !(*this == other); }

private:
    friend class kit_private::MessengerAccess;

    std::weak_ptr<kit_private::LooperPort> fPort;
    uint64 fHandlerToken = 0; // 0: the looper's preferred handler
};
