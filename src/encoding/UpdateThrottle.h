#pragma once

// Lets changes reach the screen at most once in each interval, and never
// loses the last one. The owner offers every change; one that comes too soon
// after the last shown is held, and the owner asks for a wake-up at the time
// Wait() names, when Wake() lets the held change through. The clock is a
// parameter so that tests can step it.
//
// Thread: one at a time; the owner's lock guards it.

#include <chrono>
#include <functional>

class UpdateThrottle {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit UpdateThrottle(Clock::duration interval, Now now = Clock::now);

    enum class Verdict {
        Show, // show it now
        Hold, // nothing to do: held, and a wake-up is already asked for
        Wake, // held; ask for a wake-up after Wait()
    };
    // A change wants showing.
    Verdict Offer();
    // The asked-for wake-up has come: Show the held change now, Hold when
    // there is none, or, when it came early, ask for another (Wake).
    Verdict Wake();
    // How long until the next change may be shown.
    Clock::duration Wait() const;
    // Forgets the held change (it is no longer worth showing) and the time
    // of the last one shown. A wake-up asked for must still come.
    void Reset();

private:
    Clock::duration fInterval;
    Now fNow;
    Clock::time_point fLastShown;
    bool fShownOnce = false;
    bool fHeld = false;
    bool fWaking = false;
};
