#pragma once

// A one-time notice from one thread to another: a hook of the code under
// test gives it when something has happened, and the test waits for exactly
// that instead of looking again and again for a state to appear.
//
// Thread: any.

#include <chrono>
#include <condition_variable>
#include <mutex>

class Notice {
public:
    void Give() {
        std::lock_guard guard(fMutex);
        fGiven = true;
        fCondition.notify_all();
    }
    // True once the notice was given; false when the timeout passed first,
    // which only a fault makes happen.
    bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock guard(fMutex);
        return fCondition.wait_for(guard, timeout, [this] { return fGiven; });
    }

private:
    std::mutex fMutex;
    std::condition_variable fCondition;
    bool fGiven = false;
};
