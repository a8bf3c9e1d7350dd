#include "encoding/UpdateThrottle.h"

UpdateThrottle::UpdateThrottle(Clock::duration interval, Now now)
    : fInterval(interval), fNow(std::move(now)) {}

UpdateThrottle::Verdict UpdateThrottle::Offer() {
    if (!fHeld && Wait() == Clock::duration::zero()) {
        fLastShown = fNow();
        fShownOnce = true;
        return Verdict::Show;
    }
    fHeld = true;
    if (fWaking)
        return Verdict::Hold;
    fWaking = true;
    return Verdict::Wake;
}

UpdateThrottle::Verdict UpdateThrottle::Wake() {
    fWaking = false;
    if (!fHeld)
        return Verdict::Hold;
    if (Wait() > Clock::duration::zero()) {
        fWaking = true;
        return Verdict::Wake;
    }
    fHeld = false;
    fLastShown = fNow();
    return Verdict::Show;
}

UpdateThrottle::Clock::duration UpdateThrottle::Wait() const {
    if (!fShownOnce)
        return Clock::duration::zero();
    const Clock::duration since = fNow() - fLastShown;
    return since >= fInterval ? Clock::duration::zero() : fInterval - since;
}

void UpdateThrottle::Reset() {
    fShownOnce = false;
    fHeld = false;
    // A wake-up already asked for still comes, and finds nothing held or
    // lets a later change through.
}
