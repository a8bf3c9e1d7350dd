#include <kit/app/BMessageRunner.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct BMessageRunner::State {
    std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::thread thread;
};

BMessageRunner::BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
                               int32 count)
    : fState(std::make_unique<State>()) {
    if (message == nullptr || interval < 1 || count == 0) {
        fStatus = message == nullptr || interval < 1 ? B_BAD_VALUE : B_OK;
        return;
    }
    State* state = fState.get();
    fState->thread = std::thread(
        [state, target = std::move(target), copy = BMessage(*message), interval, count] {
            // Each time is counted from the start, so that handling late never
            // makes the runner drift.
            auto next = std::chrono::steady_clock::now();
            std::unique_lock guard(state->mutex);
            for (int32 sent = 0; count < 0 || sent < count; ++sent) {
                next += std::chrono::microseconds(interval);
                if (state->stopped.wait_until(guard, next, [state] { return state->stopping; }))
                    return;
                target.SendMessage(&copy);
            }
        });
}

BMessageRunner::~BMessageRunner() {
    {
        std::lock_guard guard(fState->mutex);
        fState->stopping = true;
    }
    fState->stopped.notify_all();
    if (fState->thread.joinable())
        fState->thread.join();
}
