#include <kit/app/AppDefs.h>
#include <kit/app/BLooper.h>
#include <kit/app/BMessenger.h>
#include <kit/app/private/LooperAccess.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Records what it receives and signals when a given number has arrived.
class RecordingLooper : public BLooper {
public:
    RecordingLooper(std::atomic<bool>* destroyed = nullptr) : fDestroyed(destroyed) {}
    ~RecordingLooper() override {
        if (fDestroyed)
            fDestroyed->store(true);
    }

    void MessageReceived(BMessage* message) override {
        std::lock_guard guard(fMutex);
        fLockedDuringDispatch = fLockedDuringDispatch && IsLocked() && CountLocks() == 1;
        fReceived.push_back(*message);
        fCondition.notify_all();
    }

    std::vector<BMessage> WaitFor(size_t count) {
        std::unique_lock guard(fMutex);
        fCondition.wait_for(guard, std::chrono::seconds(20),
                            [&] { return fReceived.size() >= count; });
        return fReceived;
    }

    bool LockedDuringDispatch() {
        std::lock_guard guard(fMutex);
        return fLockedDuringDispatch;
    }

private:
    std::atomic<bool>* fDestroyed;
    std::mutex fMutex;
    std::condition_variable fCondition;
    std::vector<BMessage> fReceived;
    bool fLockedDuringDispatch = true;
};

BMessage Numbered(int32 sender, int32 number) {
    BMessage message(four_cc("NUMB"));
    message.AddInt32("sender", sender);
    message.AddInt32("number", number);
    return message;
}

} // namespace

TEST(Looper, DeliversInPostingOrderUnderItsLock) {
    auto* looper = new RecordingLooper;
    looper->Run();
    for (int32 i = 0; i < 500; ++i) {
        BMessage message = Numbered(0, i);
        ASSERT_EQ(looper->PostMessage(&message), B_OK);
    }
    auto received = looper->WaitFor(500);
    ASSERT_EQ(received.size(), 500u);
    for (int32 i = 0; i < 500; ++i) {
        int32 number = -1;
        received[static_cast<size_t>(i)].FindInt32("number", &number);
        EXPECT_EQ(number, i);
    }
    EXPECT_TRUE(looper->LockedDuringDispatch());
    ASSERT_TRUE(looper->Lock());
    looper->Quit();
}

TEST(Looper, PostingFromManyThreadsAtOnceLosesNothingAndKeepsEachSendersOrder) {
    auto* looper = new RecordingLooper;
    looper->Run();
    BMessenger messenger(looper);
    constexpr int32 kSenders = 8;
    constexpr int32 kEach = 1000;
    std::vector<std::thread> senders;
    for (int32 sender = 0; sender < kSenders; ++sender)
        senders.emplace_back([&, sender] {
            for (int32 i = 0; i < kEach; ++i) {
                BMessage message = Numbered(sender, i);
                EXPECT_EQ(messenger.SendMessage(&message), B_OK);
            }
        });
    for (auto& thread : senders)
        thread.join();

    auto received = looper->WaitFor(kSenders * kEach);
    ASSERT_EQ(received.size(), static_cast<size_t>(kSenders * kEach));
    std::map<int32, int32> next;
    for (const auto& message : received) {
        int32 sender = -1, number = -1;
        message.FindInt32("sender", &sender);
        message.FindInt32("number", &number);
        EXPECT_EQ(number, next[sender]++) << "sender " << sender;
    }
    looper->Lock();
    looper->Quit();
}

TEST(Looper, LockIsRecursiveAndExcludesOtherThreads) {
    auto* looper = new RecordingLooper;
    looper->Run();
    ASSERT_TRUE(looper->Lock());
    ASSERT_TRUE(looper->Lock());
    EXPECT_EQ(looper->CountLocks(), 2);

    // While this thread holds the lock, the looper cannot dispatch.
    BMessage message = Numbered(0, 1);
    looper->PostMessage(&message);
    std::atomic<bool> otherGotLock{false};
    std::thread other([&] {
        EXPECT_FALSE(looper->IsLocked());
        looper->Lock();
        otherGotLock = true;
        looper->Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(otherGotLock.load());
    looper->Unlock();
    EXPECT_TRUE(looper->IsLocked());
    EXPECT_FALSE(otherGotLock.load());
    looper->Unlock();
    EXPECT_FALSE(looper->IsLocked());
    other.join();
    EXPECT_TRUE(otherGotLock.load());
    EXPECT_EQ(looper->WaitFor(1).size(), 1u);

    looper->Lock();
    looper->Quit();
}

TEST(Looper, QuitFromAnotherThreadHandlesWhatWasQueuedAndJoinsTheThread) {
    std::atomic<bool> destroyed{false};
    auto* looper = new RecordingLooper(&destroyed);
    looper->Run();
    auto port = kit_private::LooperAccess::Port(*looper);
    BMessenger messenger(looper);
    for (int32 i = 0; i < 100; ++i) {
        BMessage message = Numbered(0, i);
        looper->PostMessage(&message);
    }
    ASSERT_TRUE(looper->Lock());
    looper->Lock();
    looper->Quit(); // releases both holds, waits for the thread
    EXPECT_TRUE(destroyed.load());
    EXPECT_FALSE(port->IsLooperThread());
    EXPECT_TRUE(port->IsClosed());

    // The looper is gone: its messengers fail instead of reaching freed memory.
    EXPECT_FALSE(messenger.IsValid());
    EXPECT_EQ(messenger.SendMessage(four_cc("LATE")), B_BAD_PORT_ID);
    EXPECT_FALSE(messenger.LockTarget());
}

TEST(Looper, QuitRequestedDecidesWhetherItQuits) {
    class Refusing : public RecordingLooper {
    public:
        using RecordingLooper::RecordingLooper;
        bool QuitRequested() override { return fAllow.load(); }
        std::atomic<bool> fAllow{false};
    };
    std::atomic<bool> destroyed{false};
    auto* looper = new Refusing(&destroyed);
    looper->Run();
    auto port = kit_private::LooperAccess::Port(*looper);
    BMessenger messenger(looper);
    messenger.SendMessage(B_QUIT_REQUESTED);
    messenger.SendMessage(four_cc("STIL"));
    EXPECT_EQ(looper->WaitFor(1).size(), 1u); // still alive after a refusal
    looper->fAllow = true;
    messenger.SendMessage(B_QUIT_REQUESTED);
    port->Join();
    EXPECT_TRUE(destroyed.load());
}

TEST(Looper, MessageForAHandlerThatIsGoneIsDropped) {
    class Counter : public BHandler {
    public:
        void MessageReceived(BMessage*) override { ++fCount; }
        std::atomic<int> fCount{0};
    };
    auto* looper = new RecordingLooper;
    auto* handler = new Counter;
    looper->Lock();
    looper->AddHandler(handler);
    BMessenger toHandler(handler);
    looper->Unlock();
    looper->Run();

    EXPECT_EQ(toHandler.SendMessage(four_cc("ONE_")), B_OK);
    looper->PostMessage(four_cc("SYNC"));
    looper->WaitFor(1);
    EXPECT_EQ(handler->fCount.load(), 1);

    looper->Lock();
    delete handler; // leaves the looper under its lock
    EXPECT_EQ(looper->CountHandlers(), 0);
    looper->Unlock();
    EXPECT_EQ(toHandler.SendMessage(four_cc("TWO_")), B_OK); // queued, then dropped
    looper->PostMessage(four_cc("SYNC"));
    EXPECT_EQ(looper->WaitFor(2).size(), 2u);

    looper->Lock();
    looper->Quit();
}

TEST(Looper, QuitOnItsOwnThreadEndsAfterTheCurrentMessage) {
    class SelfQuitting : public RecordingLooper {
    public:
        using RecordingLooper::RecordingLooper;
        void MessageReceived(BMessage* message) override {
            RecordingLooper::MessageReceived(message);
            if (message->what == four_cc("QUIT"))
                Quit();
        }
    };
    std::atomic<bool> destroyed{false};
    auto* looper = new SelfQuitting(&destroyed);
    auto port = kit_private::LooperAccess::Port(*looper);
    looper->PostMessage(four_cc("QUIT"));
    looper->PostMessage(four_cc("NEVR"));
    looper->Run();
    port->Join();
    EXPECT_TRUE(destroyed.load());
}

TEST(Looper, ALooperThatNeverRanQuitsAtOnce) {
    std::atomic<bool> destroyed{false};
    auto* looper = new RecordingLooper(&destroyed);
    BMessenger messenger(looper);
    looper->Quit();
    EXPECT_TRUE(destroyed.load());
    EXPECT_FALSE(messenger.IsValid());
}
