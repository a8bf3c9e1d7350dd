// A program of loopers alone, linked against the kit library without any
// display: it starts a looper, posts it three numbers, and returns from main,
// after posting B_QUIT_REQUESTED when its only argument is "quit", and while
// the looper still runs when it is "running". The looper writes each number
// on a line of its own to standard output, and "gone" once it is destroyed.

#include <kit/app/AppDefs.h>
#include <kit/app/BLooper.h>
#include <kit/app/BMessage.h>

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr uint32 kNumber = four_cc("NUMB");

void Say(const std::string& line) {
    std::string text = line + '\n';
    // A line this short goes out whole or not at all; the test sees which.
    [[maybe_unused]] ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
}

class Counter : public BLooper {
public:
    Counter() : BLooper("Counter") {}
    ~Counter() override { Say("gone"); }

    void MessageReceived(BMessage* message) override {
        int32 value = 0;
        if (message->what == kNumber && message->FindInt32("value", &value) == B_OK)
            Say(std::to_string(value));
        else
            BLooper::MessageReceived(message);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const bool quit = std::strcmp(argv[1], "quit") == 0;
    if (!quit && std::strcmp(argv[1], "running") != 0)
        return 2;
    auto* counter = new Counter;
    counter->Run();
    for (int32 value = 1; value <= 3; ++value) {
        BMessage number(kNumber);
        number.AddInt32("value", value);
        if (counter->PostMessage(&number) != B_OK)
            return 3;
    }
    if (quit && counter->PostMessage(B_QUIT_REQUESTED) != B_OK)
        return 3;
    return 0;
}
