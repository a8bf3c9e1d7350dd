// A program that uses only the kit's messaging: it links the kit with Qt Core
// alone, without any display, and its loopers run.

#include <kit/app/BLooper.h>
#include <kit/app/BMessage.h>
#include <kit/interface/DisplaySeam.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs the looper probe with argument and returns its standard output; its
// wait status goes to status.
std::string RunProbe(const char* argument, int* status) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return "";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const char* argv[] = {MF_LOOPER_ALONE_PROBE_PATH, argument, nullptr};
    pid_t pid = -1;
    int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    ssize_t count;
    while (error == 0 && (count = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0) {
        if (count > 0)
            output.append(buffer, static_cast<size_t>(count));
        else if (errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    *status = -1;
    if (error == 0)
        while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
        }
    return output;
}

} // namespace

TEST(MessagingAlone, AProgramOfLoopersEndsCleanlyWhenMainReturns) {
    // Whether the looper has been asked to quit or still runs when main
    // returns, it handles what was posted to it, is destroyed, and the
    // program exits with main's status (a sanitizer's report would change it).
    for (const char* way : {"quit", "running"}) {
        SCOPED_TRACE(way);
        int status = -1;
        EXPECT_EQ(RunProbe(way, &status), "1\n2\n3\ngone\n");
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

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
