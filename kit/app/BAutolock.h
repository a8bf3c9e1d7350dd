#pragma once

// Holds a looper's lock for the lifetime of a scope, so that every way out of
// the scope releases it. Made from a messenger, it locks the messenger's
// target and may fail, when the looper has quit or is quitting: check
// IsLocked before touching the looper.
//
// Thread: any but the display's; the object stays on the thread that made it.

#include <kit/app/BLooper.h>
#include <kit/app/BMessenger.h>

class BAutolock {
public:
    explicit BAutolock(BLooper* looper) : fLooper(looper) {
        fLocked = fLooper != nullptr && fLooper->Lock();
    }
    explicit BAutolock(BLooper& looper) : BAutolock(&looper) {}
    explicit BAutolock(const BMessenger& target) {
        if (target.LockTarget()) {
            target.Target(&fLooper);
            fLocked = fLooper != nullptr;
        }
    }
    ~BAutolock() {
        if (fLocked)
            fLooper->Unlock();
    }

    BAutolock(const BAutolock&) = delete;
    BAutolock& operator=(const BAutolock&) = delete;

    bool IsLocked() const { return fLocked; }

private:
    BLooper* fLooper = nullptr;
    bool fLocked = false;
};
