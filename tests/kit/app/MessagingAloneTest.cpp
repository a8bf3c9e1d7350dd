// A program that uses only the kit's messaging: it links the kit with Qt Core
// alone, without any display, and its loopers run.

#include <kit/app/BLooper.h>
#include <kit/app/BMessage.h>
#include <kit/interface/DisplaySeam.h>

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <string>

namespace {

class Echo : public BLooper {
public:
    explicit Echo(std::promise<int32>* got) : BLooper("Echo"), fGot(got) {}
    void MessageReceived(BMessage* message) override {
        int32 value = 0;
        if (message->what == four_cc("PING") && message->FindInt32("value", &value) == B_OK)
            fGot->set_value(value);
    }

private:
    std::promise<int32>* fGot;
};

bool Mapped(const std::string& library) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(library) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(MessagingAlone, ALooperRunsWithoutAnyDisplayOrQtWidgets) {
    EXPECT_EQ(seam::Installed(), nullptr);
    EXPECT_FALSE(Mapped("libQt6Widgets"));
    EXPECT_FALSE(Mapped("libQt6Gui"));

    std::promise<int32> got;
    auto* echo = new Echo(&got);
    echo->Run();
    BMessage ping(four_cc("PING"));
    ping.AddInt32("value", 42);
    ASSERT_EQ(echo->PostMessage(&ping), B_OK);
    auto answer = got.get_future();
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(answer.get(), 42);
    // Locking a looper asks whether this is the display's thread; with no
    // display there is none.
    ASSERT_TRUE(echo->Lock());
    echo->Quit();
}
