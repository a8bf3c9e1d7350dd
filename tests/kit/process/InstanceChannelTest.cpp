#include "support/TempDir.h"
#include <kit/app/private/HandOverFrame.h>
#include <kit/app/private/InstanceChannel.h>
#include <kit/app/private/SocketIo.h>
#include <kit/kernel/OS.h>

#include "ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <grp.h>
#include <latch>
#include <mutex>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr char kSignature[] = "application/x-vnd.Test-InstanceChannel";

using namespace std::chrono_literals;

// Waits short enough that a test which provokes one takes milliseconds, and
// still far longer than the work of a well-behaved peer on a loaded machine.
constexpr InstanceChannelTimings kShortWaits{
    .serve = 250ms, .answer = 250ms, .lock = 100ms, .lockRetry = 5ms, .connect = 5s};

// Collects what a listening channel delivers.
class Inbox {
public:
    InstanceChannel::Callback Callback() {
        return [this](std::vector<std::string> paths) {
            std::lock_guard guard(fMutex);
            fHandOvers.push_back(std::move(paths));
            fCondition.notify_all();
        };
    }
    std::vector<std::vector<std::string>> WaitFor(size_t count) {
        std::unique_lock guard(fMutex);
        fCondition.wait_for(guard, std::chrono::seconds(60),
                            [&] { return fHandOvers.size() >= count; });
        return fHandOvers;
    }
    // Waits until the hand-overs taken so far satisfy done.
    std::vector<std::vector<std::string>>
    WaitUntil(const std::function<bool(const std::vector<std::vector<std::string>>&)>& done) {
        std::unique_lock guard(fMutex);
        fCondition.wait_for(guard, std::chrono::seconds(60), [&] { return done(fHandOvers); });
        return fHandOvers;
    }
    std::vector<std::vector<std::string>> Taken() {
        std::lock_guard guard(fMutex);
        return fHandOvers;
    }

private:
    std::mutex fMutex;
    std::condition_variable fCondition;
    std::vector<std::vector<std::string>> fHandOvers;
};

// Runs each test with a runtime folder of its own.
class InstanceChannelTest : public ::testing::Test {
protected:
    TempDir fRuntime;
    EnvironmentVariable fRuntimeVariable{"XDG_RUNTIME_DIR", fRuntime.Path()};
};

std::string Number(uint32 value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xff));
    return bytes;
}

using kit_private::HandOverFrame;

std::string Frame(const std::vector<std::string>& paths, const std::string& magic = "MFHO",
                  uint32 version = 2) {
    std::string frame = magic + Number(version) + Number(static_cast<uint32>(paths.size()));
    for (const std::string& path : paths)
        frame += Number(static_cast<uint32>(path.size())) + path;
    return frame;
}

int ConnectRaw(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval limit{60, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return fd;
}

void SendRaw(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (count <= 0)
            return; // The other side has stopped reading; that is allowed.
        done += static_cast<size_t>(count);
    }
}

// Everything the other side answers until it closes the connection.
std::string ReadAnswer(int fd) {
    std::string answer;
    char buffer[64];
    ssize_t count;
    while ((count = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        answer.append(buffer, static_cast<size_t>(count));
    return answer;
}

// A frame's token as a sender makes it: an eventfd holding the count 1.
int MakeToken() {
    return ::eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK);
}

// Sends the first byte with the token attached, then the rest.
void SendWithToken(int fd, const std::string& bytes, int token) {
    if (!bytes.empty() &&
        kit_private::socket_io::SendWithDescriptor(fd, bytes.data(), 1, token) == 1)
        SendRaw(fd, bytes.substr(1));
}

// True when the token's count is still there for the sender to take back.
bool TakeBack(int token) {
    uint64_t count = 0;
    return ::read(token, &count, sizeof count) == static_cast<ssize_t>(sizeof count);
}

// Sends bytes as a whole exchange, with a token unless told otherwise, and
// returns the answer.
std::string Exchange(const std::string& socketPath, const std::string& bytes,
                     bool withToken = true) {
    int fd = ConnectRaw(socketPath);
    if (fd < 0)
        return "<no connection>";
    int token = withToken ? MakeToken() : -1;
    if (withToken)
        SendWithToken(fd, bytes, token);
    else
        SendRaw(fd, bytes);
    if (token >= 0)
        ::close(token);
    ::shutdown(fd, SHUT_WR);
    std::string answer = ReadAnswer(fd);
    ::close(fd);
    return answer;
}

std::string OwnExecutable() {
    char path[PATH_MAX] = {};
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "";
}

// Starts this test program as a helper process running ChannelHelper.
team_id StartHelper() {
    entry_ref self = RefFor(OwnExecutable());
    const char* argv[] = {"--gtest_also_run_disabled_tests", "--gtest_filter=ChannelHelper.*",
                          "--gtest_brief=1"};
    team_id team = -1;
    EXPECT_EQ(be_roster->Launch(&self, 3, argv, &team), B_OK);
    return team;
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 6000; ++i) {
        if (::access(path.c_str(), F_OK) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// How many descriptors this process has open.
size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(folder))
            count += entry->d_name[0] != '.';
        ::closedir(folder);
    }
    return count;
}

bool IsSocket(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

// The instance that the stale-socket test kills: it listens until then, having
// said so with a file in the folder that MF_CHANNEL_HELPER names. Runs only
// when started by that test.
TEST(ChannelHelper, DISABLED_ListenUntilKilled) {
    const char* out = std::getenv("MF_CHANNEL_HELPER");
    if (out == nullptr)
        GTEST_SKIP();
    InstanceChannel channel(kSignature);
    ASSERT_FALSE(channel.TryHandOver({}));
    // Every path delivered goes on a line of its own into "delivered".
    std::string delivered = std::string(out) + "/delivered";
    ASSERT_EQ(channel.Listen([delivered](std::vector<std::string> paths) {
        std::ofstream file(delivered, std::ios::app);
        for (const std::string& path : paths)
            file << path << '\n';
    }),
              B_OK);
    std::ofstream(std::string(out) + "/ready").close();
    for (;;)
        ::pause();
}

TEST_F(InstanceChannelTest, ASecondStartHandsItsPathsToTheRunningOne) {
    Inbox inbox;
    InstanceChannel first(kSignature);
    ASSERT_EQ(first.InitCheck(), B_OK);
    ASSERT_FALSE(first.TryHandOver({"/first/file"}));
    ASSERT_EQ(first.Listen(inbox.Callback()), B_OK);
    EXPECT_TRUE(IsSocket(first.SocketPath()));
    EXPECT_EQ(first.SocketPath().rfind(fRuntime.Path() + "/", 0), 0u);

    const std::vector<std::string> paths = {"/music/one.wav", "/music/with space/two.wav",
                                            "/m\xc3\xbcsik/\"quoted\"\n.wav"};
    InstanceChannel second(kSignature);
    EXPECT_TRUE(second.TryHandOver(paths));
    // A start without files asks the running one to come to the front.
    InstanceChannel third(kSignature);
    EXPECT_TRUE(third.TryHandOver({}));
    // A running instance is never displaced.
    EXPECT_EQ(third.Listen(inbox.Callback()), B_BUSY);
    // Paths that are not absolute are not sent.
    EXPECT_FALSE(third.TryHandOver({"relative/path"}));
    EXPECT_FALSE(third.TryHandOver({""}));

    auto taken = inbox.WaitFor(2);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0], paths);
    EXPECT_TRUE(taken[1].empty());

    // Once the running one closes, its socket goes and the next start runs.
    first.Close();
    EXPECT_FALSE(IsSocket(first.SocketPath()));
    InstanceChannel fourth(kSignature);
    EXPECT_FALSE(fourth.TryHandOver({"/fourth"}));
    EXPECT_EQ(fourth.Listen(inbox.Callback()), B_OK);
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/fifth"}));
    EXPECT_EQ(inbox.WaitFor(3).back(), std::vector<std::string>{"/fifth"});
    EXPECT_EQ(inbox.Taken().size(), 3u);
}

TEST_F(InstanceChannelTest, TheSocketOfAKilledInstanceIsReplaced) {
    Watcher watcher;
    EnvironmentVariable helperFolder("MF_CHANNEL_HELPER", fRuntime.Path());
    team_id helper = StartHelper();
    ASSERT_TRUE(WaitForFile(fRuntime.File("ready")));
    ASSERT_EQ(kill_team(helper), B_OK);
    watcher->WaitUntil(HasNoticesFor({helper}));

    InstanceChannel channel(kSignature);
    ASSERT_TRUE(IsSocket(channel.SocketPath())) << "the killed instance left no socket";
    EXPECT_EQ(ConnectRaw(channel.SocketPath()), -1) << "somebody still listens";

    Inbox inbox;
    EXPECT_FALSE(channel.TryHandOver({"/after/kill"}));
    ASSERT_EQ(channel.Listen(inbox.Callback()), B_OK);
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/handed"}));
    EXPECT_EQ(inbox.WaitFor(1).at(0), std::vector<std::string>{"/handed"});
}

TEST_F(InstanceChannelTest, MalformedFramesAreDroppedAndTheListenerGoesOn) {
    size_t openBefore = OpenDescriptors();
    Inbox inbox;
    InstanceChannel channel(kSignature, kShortWaits);
    ASSERT_EQ(channel.Listen(inbox.Callback()), B_OK);
    const std::string& socket = channel.SocketPath();

    std::string longPath = "/" + std::string(HandOverFrame::kMaxPathLength, 'a');
    std::string cutShort = Frame({"/one", "/two"});
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"nothing at all", ""},
        {"garbage", "GET / HTTP/1.0\r\n\r\n"},
        {"wrong magic", Frame({"/a"}, "MFHX")},
        {"wrong version", Frame({"/a"}, "MFHO", 1)},
        {"too many paths", "MFHO" + Number(2) + Number(HandOverFrame::kMaxPaths + 1)},
        {"empty path", Frame({""})},
        {"path too long", Frame({longPath})},
        {"relative path", Frame({"relative"})},
        {"NUL inside a path", Frame({std::string("/a\0b", 4)})},
        {"header cut short", cutShort.substr(0, 7)},
        {"second path missing", cutShort.substr(0, cutShort.size() - 8)},
        {"cut inside a path", cutShort.substr(0, cutShort.size() - 2)},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_EQ(Exchange(socket, bytes), "") << name;

    // More than the bounds allow in all: dropped once the limit is passed.
    std::vector<std::string> many(300, "/" + std::string(HandOverFrame::kMaxPathLength - 1, 'b'));
    EXPECT_EQ(Exchange(socket, Frame(many)), "") << "oversized frame";
    // A whole frame without its token is not taken.
    EXPECT_EQ(Exchange(socket, Frame({"/no/token"}), false), "") << "no token";
    // Nor one with a second descriptor after its first bytes.
    {
        int fd = ConnectRaw(socket);
        ASSERT_GE(fd, 0);
        int token = MakeToken();
        int extra = MakeToken();
        std::string frame = Frame({"/two/tokens"});
        ASSERT_EQ(kit_private::socket_io::SendWithDescriptor(fd, frame.data(), 1, token), 1);
        kit_private::socket_io::SendWithDescriptor(fd, frame.data() + 1, frame.size() - 1, extra);
        ::shutdown(fd, SHUT_WR);
        EXPECT_EQ(ReadAnswer(fd), "") << "a second descriptor";
        ::close(extra);
        ::close(token);
        ::close(fd);
    }

    // A peer that stalls halfway does not hold the listener for good.
    int slow = ConnectRaw(socket);
    ASSERT_GE(slow, 0);
    SendRaw(slow, cutShort.substr(0, 5));
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/after/slow"}));
    EXPECT_EQ(ReadAnswer(slow), "");
    ::close(slow);

    // The format as written down is the one the listener reads.
    EXPECT_EQ(Exchange(socket, Frame({"/raw/one", "/raw/two"})), "MFOK");
    auto taken = inbox.WaitFor(2);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0], std::vector<std::string>{"/after/slow"});
    EXPECT_EQ(taken[1], (std::vector<std::string>{"/raw/one", "/raw/two"}));

    // Every connection, token and descriptor it was sent is closed again.
    channel.Close();
    EXPECT_EQ(OpenDescriptors(), openBefore);
}

TEST_F(InstanceChannelTest, StartsRacingOnThreadsGiveExactlyOneListener) {
    constexpr int kStarts = 8;
    Inbox inbox;
    std::latch ready(kStarts);
    std::mutex mutex;
    std::vector<std::unique_ptr<InstanceChannel>> listeners;
    std::vector<std::thread> starts;
    for (int i = 0; i < kStarts; ++i)
        starts.emplace_back([&, i] {
            auto channel = std::make_unique<InstanceChannel>(kSignature);
            ready.arrive_and_wait();
            if (channel->TryHandOver({"/race/" + std::to_string(i)}))
                return;
            EXPECT_EQ(channel->Listen(inbox.Callback()), B_OK);
            std::lock_guard guard(mutex);
            listeners.push_back(std::move(channel));
        });
    for (auto& start : starts)
        start.join();

    ASSERT_EQ(listeners.size(), 1u);
    auto taken = inbox.WaitFor(kStarts - 1);
    EXPECT_EQ(taken.size(), static_cast<size_t>(kStarts - 1));
}

TEST_F(InstanceChannelTest, AFolderOthersMayWriteIsRefused) {
    ::chmod(fRuntime.Path().c_str(), 0777);
    InstanceChannel channel(kSignature);
    EXPECT_NE(channel.InitCheck(), B_OK);
    EXPECT_FALSE(channel.TryHandOver({"/a"}));
    EXPECT_NE(channel.Listen([](std::vector<std::string>) {}), B_OK);
    ::chmod(fRuntime.Path().c_str(), 0700);

    // Without a runtime folder, a private one under /tmp is used.
    ::unsetenv("XDG_RUNTIME_DIR");
    InstanceChannel fallback(kSignature);
    ASSERT_EQ(fallback.InitCheck(), B_OK);
    std::string folder = "/tmp/kit-runtime-" + std::to_string(::geteuid());
    EXPECT_EQ(fallback.SocketPath().rfind(folder + "/", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// Paths of all hand-overs taken, in the order they came.
std::vector<std::string> AllPaths(const std::vector<std::vector<std::string>>& handOvers) {
    std::vector<std::string> all;
    for (const auto& paths : handOvers)
        all.insert(all.end(), paths.begin(), paths.end());
    return all;
}

TEST_F(InstanceChannelTest, IdleConnectionsDelayNobodyAndAnyNumberOfPathsArrivesInOrder) {
    Inbox inbox;
    InstanceChannel channel(kSignature);
    ASSERT_EQ(channel.Listen(inbox.Callback()), B_OK);

    // Peers of the same user that connect and never send.
    std::vector<int> idle;
    for (int i = 0; i < 10; ++i) {
        idle.push_back(ConnectRaw(channel.SocketPath()));
        ASSERT_GE(idle.back(), 0);
    }
    std::vector<std::string> notTaken = {"/left/over"};
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/despite/idle"}, &notTaken));
    EXPECT_TRUE(notTaken.empty());
    EXPECT_EQ(inbox.WaitFor(1).at(0), std::vector<std::string>{"/despite/idle"});

    // Far more paths than one frame holds: all of them, once each, in order.
    std::vector<std::string> many;
    for (int i = 0; i < 100000; ++i)
        many.push_back("/many/files/file-" + std::to_string(i) + ".wav");
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver(many));
    auto taken = inbox.WaitUntil(
        [&](const auto& handOvers) { return AllPaths(handOvers).size() >= many.size() + 1; });
    std::vector<std::string> all = AllPaths(taken);
    ASSERT_EQ(all.size(), many.size() + 1);
    EXPECT_TRUE(std::equal(many.begin(), many.end(), all.begin() + 1));
    for (const auto& paths : taken)
        EXPECT_LE(paths.size(), HandOverFrame::kMaxPaths);

    for (int fd : idle)
        ::close(fd);
}

// The sender and the listener race for each frame's token: whoever reads it
// owns the paths. Taking it back at every moment of the listener's work
// must never deliver a frame twice or lose one the listener took.
TEST_F(InstanceChannelTest, AFrameGoesToExactlyOneSideWhenTheSenderTakesItBack) {
    Inbox inbox;
    InstanceChannel channel(kSignature);
    ASSERT_EQ(channel.Listen(inbox.Callback()), B_OK);

    constexpr int kRounds = 300;
    std::vector<std::string> keptBySender;
    std::vector<std::string> takenByListener;
    for (int round = 0; round < kRounds; ++round) {
        std::string path = "/race/" + std::to_string(round);
        int fd = ConnectRaw(channel.SocketPath());
        ASSERT_GE(fd, 0);
        int token = MakeToken();
        SendWithToken(fd, Frame({path}), token);
        // Give the listener a varying head start, from none to a little.
        std::atomic<int> spin{0};
        while (spin.fetch_add(1) < (round % 20) * 2000) {
        }
        (TakeBack(token) ? keptBySender : takenByListener).push_back(path);
        ::close(token);
        ::close(fd);
    }
    ASSERT_TRUE(InstanceChannel(kSignature).TryHandOver({"/race/end"}));
    auto taken = inbox.WaitUntil([&](const auto& handOvers) {
        std::vector<std::string> all = AllPaths(handOvers);
        if (std::find(all.begin(), all.end(), "/race/end") == all.end())
            return false;
        return std::all_of(takenByListener.begin(), takenByListener.end(), [&](auto& path) {
            return std::find(all.begin(), all.end(), path) != all.end();
        });
    });
    std::vector<std::string> all = AllPaths(taken);
    std::multiset<std::string> delivered(all.begin(), all.end());
    for (const std::string& path : takenByListener)
        EXPECT_EQ(delivered.count(path), 1u) << path;
    for (const std::string& path : keptBySender)
        EXPECT_EQ(delivered.count(path), 0u) << path;
    EXPECT_EQ(delivered.size(), takenByListener.size() + 1);
    RecordProperty("keptBySender", static_cast<int>(keptBySender.size()));
}

TEST_F(InstanceChannelTest, AStoppedInstanceNeverTakesWhatItsSenderOpenedItself) {
    Watcher watcher;
    EnvironmentVariable helperFolder("MF_CHANNEL_HELPER", fRuntime.Path());
    team_id helper = StartHelper();
    ASSERT_TRUE(WaitForFile(fRuntime.File("ready")));

    // The helper is a child of ours that has not been reaped; the kernel
    // reports its stop, which is left for anyone else to see as well.
    ASSERT_EQ(::kill(helper, SIGSTOP), 0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(helper), &info, WSTOPPED | WNOWAIT), 0);
    ASSERT_EQ(info.si_code, CLD_STOPPED);
    std::vector<std::string> notTaken;
    EXPECT_FALSE(
        InstanceChannel(kSignature, kShortWaits).TryHandOver({"/while/stopped"}, &notTaken));
    EXPECT_EQ(notTaken, std::vector<std::string>{"/while/stopped"});
    ASSERT_EQ(::kill(helper, SIGCONT), 0);

    // Once it runs again it takes the next hand-over, having dropped the
    // frame whose token its sender took back.
    // The answer comes only once the helper has written what it took.
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/after/stop"}));
    EXPECT_EQ(ReadFileText(fRuntime.File("delivered")), "/after/stop\n");

    ASSERT_EQ(kill_team(helper), B_OK);
    watcher->WaitUntil(HasNoticesFor({helper}));
}

TEST_F(InstanceChannelTest, AnotherUsersFrameIsDroppedUnanswered) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "switching to another user needs root";
    Inbox inbox;
    InstanceChannel channel(kSignature);
    ASSERT_EQ(channel.Listen(inbox.Callback()), B_OK);
    // Let another user reach the socket at all, so that only the listener's
    // own check stands in the way.
    ::chmod(fRuntime.Path().c_str(), 0711);
    ::chmod(channel.SocketPath().c_str(), 0777);

    std::string frame = Frame({"/from/stranger"});
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, channel.SocketPath().c_str(), sizeof address.sun_path - 1);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only calls that are safe after fork: the child becomes "nobody",
        // sends a whole valid frame with its token and reports the answer.
        gid_t none = 65534;
        // Each step that fails says which it was.
        char result = 'G';
        int fd = -1;
        if (::setgroups(1, &none) == 0 && ::setresgid(none, none, none) == 0 &&
            (result = 'U', ::setresuid(65534, 65534, 65534) == 0) &&
            (result = 'S', (fd = ::socket(AF_UNIX, SOCK_STREAM, 0)) >= 0) &&
            (result = 'C',
             ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)) {
            result = 'W';
            int token = ::eventfd(1, EFD_NONBLOCK);
            char answer[4];
            // The listener may drop the stranger before the frame is sent.
            ssize_t sent =
                kit_private::socket_io::SendWithDescriptor(fd, frame.data(), frame.size(), token);
            if (sent == static_cast<ssize_t>(frame.size()))
                result = ::recv(fd, answer, sizeof answer, 0) > 0 ? 'A' : 'N';
            else if (sent < 0 && (errno == EPIPE || errno == ECONNRESET))
                result = 'N';
        }
        ssize_t ignored = ::write(report[1], &result, 1);
        (void)ignored;
        ::_exit(0);
    }
    ::close(report[1]);
    char result = '?';
    ASSERT_EQ(::read(report[0], &result, 1), 1);
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(result, 'N') << "A: the stranger was answered; any other letter: the child failed "
                              "at a step (G groups, U user, S socket, C connect, W send)";

    // The listener goes on, and the stranger's path never arrives.
    EXPECT_TRUE(InstanceChannel(kSignature).TryHandOver({"/from/us"}));
    auto taken = inbox.WaitFor(1);
    EXPECT_EQ(AllPaths(taken), std::vector<std::string>{"/from/us"});
}

TEST_F(InstanceChannelTest, AHeldLockNeverHangsTheStart) {
    // Somebody else keeps the lock file: a stuck start, or anything at all.
    InstanceChannel lone(kSignature, kShortWaits);
    int holder = ::open(lone.LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    // Nobody answers: the start runs on its own and says why on stderr.
    TempDir errors;
    std::string errorFile = errors.File("stderr");
    int saved = ::dup(STDERR_FILENO);
    int capture = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ::dup2(capture, STDERR_FILENO);
    std::vector<std::string> notTaken;
    bool handedOver = lone.TryHandOver({"/held"}, &notTaken);
    status_t listened = lone.Listen([](std::vector<std::string>) {});
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(capture);
    EXPECT_FALSE(handedOver);
    EXPECT_EQ(notTaken, std::vector<std::string>{"/held"});
    EXPECT_EQ(listened, B_TIMED_OUT);
    EXPECT_FALSE(lone.IsListening());
    std::string said = ReadFileText(errorFile);
    EXPECT_NE(said.find(lone.LockPath()), std::string::npos) << said;
    EXPECT_NE(said.find("runs on its own"), std::string::npos) << said;
    EXPECT_NE(said.find("for 0.1 seconds"), std::string::npos) << said;

    // A running instance is still reached while the lock stays taken.
    ::flock(holder, LOCK_UN);
    Inbox inbox;
    InstanceChannel running(kSignature);
    ASSERT_EQ(running.Listen(inbox.Callback()), B_OK);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_TRUE(InstanceChannel(kSignature, kShortWaits).TryHandOver({"/through/held/lock"}));
    EXPECT_EQ(inbox.WaitFor(1).at(0), std::vector<std::string>{"/through/held/lock"});
    ::close(holder);
}
