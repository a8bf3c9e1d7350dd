#pragma once

// Sends a copy of a message to a target after each interval: count times,
// or for as long as the runner lives when count is negative. A looper that
// wants to act later asks a runner instead of sleeping, so that it keeps
// handling its messages meanwhile.

#include <kit/app/BMessage.h>
#include <kit/app/BMessenger.h>

#include <memory>

class BMessageRunner {
public:
    // The message is copied. Thread: any.
    BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
                   int32 count = -1);
    // Stops the runner: once this returns, it sends nothing more (a message
    // it sent before may still wait in the target's queue). Thread: any,
    // the target's own looper included: sending never waits for a lock.
    ~BMessageRunner();

    BMessageRunner(const BMessageRunner&) = delete;
    BMessageRunner& operator=(const BMessageRunner&) = delete;

    // B_OK, or B_BAD_VALUE for an interval below one microsecond or no message.
    status_t InitCheck() const { return fStatus; }

private:
    struct State;
    std::unique_ptr<State> fState;
    status_t fStatus = B_OK;
};
