#pragma once

// A looper for tests that keeps every message it receives and lets the test
// wait, with a generous limit, until what it expects has arrived.

#include <kit/app/BLooper.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class RecordingLooper : public BLooper {
public:
    static constexpr uint32 kSync = four_cc("SYNC");

    void MessageReceived(BMessage* message) override {
        std::lock_guard guard(fMutex);
        fReceived.push_back(*message);
        fCondition.notify_all();
    }

    // Waits until done(received) holds; returns what was received by then.
    std::vector<BMessage> WaitUntil(const std::function<bool(const std::vector<BMessage>&)>& done,
                                    std::chrono::seconds limit = std::chrono::seconds(60)) {
        std::unique_lock guard(fMutex);
        fCondition.wait_for(guard, limit, [&] { return done(fReceived); });
        return fReceived;
    }

    // Posts a marker and waits for it, so that everything queued before it
    // has been handled; returns every message received so far but markers.
    std::vector<BMessage> Sync() {
        BMessage marker(kSync);
        marker.AddInt32("serial", ++fSerial);
        PostMessage(&marker);
        int32 serial = fSerial;
        auto received = WaitUntil([serial](const std::vector<BMessage>& messages) {
            for (const BMessage& message : messages) {
                int32 value = 0;
                if (message.what == kSync && message.FindInt32("serial", &value) == B_OK &&
                    value == serial)
                    return true;
            }
            return false;
        });
        std::vector<BMessage> before;
        for (const BMessage& message : received)
            if (message.what != kSync)
                before.push_back(message);
        return before;
    }

    // Ends the looper from the test's thread.
    void Finish() {
        Lock();
        Quit();
    }

private:
    std::mutex fMutex;
    std::condition_variable fCondition;
    std::vector<BMessage> fReceived;
    int32 fSerial = 0; // used by the test's thread only
};
