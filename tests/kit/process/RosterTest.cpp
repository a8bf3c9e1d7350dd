#include "support/TempDir.h"
#include <kit/app/BRoster.h>
#include <kit/kernel/OS.h>
#include <kit/kernel/private/ChildErrorOutput.h>
#include <kit/kernel/private/ChildWatcher.h>

#include "ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

TEST(Roster, LaunchPassesExactlyTheArgumentsAndNothingElseOfOurs) {
    TempDir dir;
    Watcher watcher;
    entry_ref probe = RefFor(MF_PROBE_PATH);

    // What the child must not inherit: a signal blocked in the launching
    // thread, a signal the program ignores, a descriptor without O_CLOEXEC.
    sigset_t usr1, previousMask;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &usr1, &previousMask), 0);
    auto previousUsr2 = ::signal(SIGUSR2, SIG_IGN);
    int leaky = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaky, 0);
    // Our own standard input is a pipe here, so that a child reading
    // /dev/null cannot have inherited it by chance.
    int savedInput = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    ASSERT_EQ(::dup2(pipeEnds[0], STDIN_FILENO), STDIN_FILENO);

    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"", ""},
        {"-b", "128", "/data/My Music/a.wav"},
        {"with space", "\"double\"", "'single'", "a\"b c\"d", "back\\slash"},
        {"tab\there", "new\nline", "$HOME", "*", "Ümlaut ß"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        std::string out = dir.File("run" + std::to_string(i));
        EnvironmentVariable probeOut("MF_PROBE_OUT", out);
        std::vector<const char*> argv;
        for (const std::string& argument : cases[i])
            argv.push_back(argument.c_str());
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&probe, static_cast<int>(argv.size()), argv.data(), &team),
                  B_OK);
        EXPECT_GT(team, 0);
        auto received = watcher->WaitUntil(HasNoticesFor({team}));
        ASSERT_TRUE(HasNoticesFor({team})(received));

        std::vector<std::string> expected = cases[i];
        expected.insert(expected.begin(), probe.path);
        EXPECT_EQ(SplitNul(ReadFileText(out + ".args")), expected);
        EXPECT_EQ(ReadFileText(out + ".stdin"), "/dev/null");
        EXPECT_EQ(ReadFileText(out + ".fds"), "0\n1\n2\n");
        EXPECT_EQ(ReadFileText(out + ".status"),
                  "SigBlk:\t0000000000000000\nSigIgn:\t0000000000000000\n");
    }

    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ::close(leaky);
    ::signal(SIGUSR2, previousUsr2);
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

TEST(Roster, RefusedLaunchStartsNothingAndLeavesTheTeamAlone) {
    TempDir dir;
    ::mkdir(dir.File("folder").c_str(), 0755);
    dir.Write("plain", "#!/bin/sh\nexit 0\n");
    ::chmod(dir.File("plain").c_str(), 0644);
    dir.Write("text", "this is neither a binary nor a script\n");
    ::chmod(dir.File("text").c_str(), 0755);
    dir.Write("orphan", "#!/nonexistent/interpreter\n");
    ::chmod(dir.File("orphan").c_str(), 0755);

    auto childrenBefore = ChildrenOfUs();
    int32 tableBefore = kit_private::ChildWatcher::Instance().CountChildren();
    for (const char* leaf : {"missing", "folder", "plain", "text", "orphan"}) {
        SCOPED_TRACE(leaf);
        entry_ref ref = RefFor(dir.File(leaf));
        const char* argv[] = {"x"};
        team_id team = 4242;
        EXPECT_NE(be_roster->Launch(&ref, 1, argv, &team), B_OK);
        EXPECT_EQ(team, 4242);
    }
    EXPECT_EQ(ChildrenOfUs(), childrenBefore);
    EXPECT_EQ(kit_private::ChildWatcher::Instance().CountChildren(), tableBefore);

    entry_ref truth = RefFor("/bin/true");
    const char* withNull[] = {"a", nullptr};
    team_id team = 4242;
    EXPECT_EQ(be_roster->Launch(static_cast<const entry_ref*>(nullptr), 0, nullptr, &team),
              B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch(&truth, -1, nullptr, &team), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch(&truth, 1, nullptr, &team), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch(&truth, 2, withNull, &team), B_BAD_VALUE);
    EXPECT_EQ(team, 4242);
}

TEST(Roster, EachWatcherGetsOneNoticePerEndedChildAndNoneOnceItStopped) {
    Watcher first;
    Watcher second;
    Watcher launchesOnly(B_REQUEST_LAUNCHED);
    // Asking twice changes nothing: still one notice per child.
    ASSERT_EQ(be_roster->StartWatching(second.Messenger(), B_REQUEST_QUIT), B_OK);

    entry_ref truth = RefFor("/bin/true");
    std::set<team_id> early;
    for (int i = 0; i < 3; ++i) {
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&truth, 0, nullptr, &team), B_OK);
        early.insert(team);
    }
    first->WaitUntil(HasNoticesFor(early));
    second->WaitUntil(HasNoticesFor(early));

    ASSERT_EQ(be_roster->StopWatching(first.Messenger()), B_OK);
    EXPECT_EQ(be_roster->StopWatching(first.Messenger()), B_BAD_VALUE);
    std::set<team_id> late;
    for (int i = 0; i < 3; ++i) {
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&truth, 0, nullptr, &team), B_OK);
        late.insert(team);
    }
    second->WaitUntil(HasNoticesFor(late));

    auto firstNotices = NoticedTeams(first->Sync());
    auto secondReceived = second->Sync();
    auto secondNotices = NoticedTeams(secondReceived);
    for (team_id team : early) {
        EXPECT_EQ(firstNotices.count(team), 1u);
        EXPECT_EQ(secondNotices.count(team), 1u);
    }
    for (team_id team : late) {
        EXPECT_EQ(firstNotices.count(team), 0u);
        EXPECT_EQ(secondNotices.count(team), 1u);
    }
    for (const BMessage& message : secondReceived) {
        entry_ref ref;
        ASSERT_EQ(message.FindRef("be:ref", &ref), B_OK);
        EXPECT_EQ(ref, truth);
        EXPECT_EQ(ref.path, truth.path);
    }
    EXPECT_TRUE(launchesOnly->Sync().empty());
}

TEST(Roster, AWatcherWhoseLooperHasGoneIsDropped) {
    Watcher survivor;
    auto* gone = new RecordingLooper;
    gone->Run();
    BMessenger goneMessenger(gone);
    ASSERT_EQ(be_roster->StartWatching(goneMessenger), B_OK);
    gone->Finish();
    EXPECT_EQ(be_roster->StartWatching(goneMessenger), B_BAD_VALUE);

    entry_ref truth = RefFor("/bin/true");
    team_id team = -1;
    ASSERT_EQ(be_roster->Launch(&truth, 0, nullptr, &team), B_OK);
    survivor->WaitUntil(HasNoticesFor({team}));
    // The notice found the looper gone and dropped it from the watchers.
    EXPECT_EQ(be_roster->StopWatching(goneMessenger), B_BAD_VALUE);
}

TEST(Roster, KillTeamEndsOurChildAndItsEndIsReported) {
    Watcher watcher;
    entry_ref sleeper = RefFor("/bin/sleep");
    const char* argv[] = {"600"};
    team_id team = -1;
    ASSERT_EQ(be_roster->Launch(&sleeper, 1, argv, &team), B_OK);
    EXPECT_EQ(kill_team(team), B_OK);
    auto received = watcher->WaitUntil(HasNoticesFor({team}));
    ASSERT_TRUE(HasNoticesFor({team})(received));
    for (const BMessage& message : received)
        if (TeamOf(message) == team) {
            entry_ref ref;
            ASSERT_EQ(message.FindRef("be:ref", &ref), B_OK);
            EXPECT_EQ(ref, sleeper);
        }

    // Ended and reaped: the number is no longer ours to signal.
    EXPECT_EQ(kill_team(team), B_BAD_TEAM_ID);
    EXPECT_EQ(NoticedTeams(watcher->Sync()).count(team), 1u);
}

TEST(Roster, KillTeamWithALaunchNumberEndsOnlyThatLaunch) {
    // With its launch number, a child is killed only while its process id
    // is still that launch's: any other number, as an earlier child that had
    // the same process id would give, leaves it alone.
    Watcher watcher;
    entry_ref sleeper = RefFor("/bin/sleep");
    const char* argv[] = {"600"};
    team_id team = -1;
    int64 launch = 0;
    ASSERT_EQ(be_roster->Launch(&sleeper, 1, argv, &team, &launch), B_OK);
    for (int64 other : {launch - 1, launch + 1, int64(0), int64(-1)}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(kill_team(team, other), B_BAD_TEAM_ID);
    }
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(team), &info, WEXITED | WNOHANG | WNOWAIT), 0);
    EXPECT_EQ(info.si_pid, 0) << "a wrong launch number killed the child";
    EXPECT_EQ(kill_team(team, launch), B_OK);
    watcher->WaitUntil(HasNoticesFor({team}));
    EXPECT_EQ(kill_team(team, launch), B_BAD_TEAM_ID);
}

TEST(Roster, KillTeamRefusesEveryProcessItDidNotStart) {
    // A child of ours started without the roster, like a process that was
    // given the number of a child that has been reaped.
    pid_t stranger = -1;
    const char* argv[] = {"/bin/sleep", "600", nullptr};
    ASSERT_EQ(
        ::posix_spawn(&stranger, "/bin/sleep", nullptr, nullptr, const_cast<char**>(argv), environ),
        0);

    for (team_id team : {static_cast<team_id>(stranger), static_cast<team_id>(::getppid()),
                         static_cast<team_id>(::getpid()), 0, -1}) {
        SCOPED_TRACE(team);
        EXPECT_EQ(kill_team(team), B_BAD_TEAM_ID);
    }

    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(stranger), &info, WEXITED | WNOHANG | WNOWAIT), 0);
    EXPECT_EQ(info.si_pid, 0) << "the stranger was signalled";
    EXPECT_EQ(::kill(::getppid(), 0), 0);

    ::kill(stranger, SIGKILL);
    ::waitpid(stranger, nullptr, 0);
}

TEST(Roster, BurstOfChildrenGivesOneNoticeEachAndLeavesNoZombie) {
    Watcher watcher;
    entry_ref truth = RefFor("/bin/true");
    constexpr int kChildren = 200;
    std::set<team_id> teams;
    for (int i = 0; i < kChildren; ++i) {
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&truth, 0, nullptr, &team), B_OK);
        teams.insert(team);
    }
    ASSERT_EQ(teams.size(), static_cast<size_t>(kChildren));
    watcher->WaitUntil(HasNoticesFor(teams));

    auto noticed = NoticedTeams(watcher->Sync());
    EXPECT_EQ(noticed.size(), static_cast<size_t>(kChildren));
    for (team_id team : teams)
        EXPECT_EQ(noticed.count(team), 1u) << team;
    EXPECT_FALSE(HasZombieChild());
    EXPECT_EQ(kit_private::ChildWatcher::Instance().CountChildren(), 0);
}

TEST(Roster, DocumentsAndAddressesGoToTheOpenerFoundInPath) {
    TempDir dir;
    std::string bin = dir.File("bin");
    ::mkdir(bin.c_str(), 0755);
    // The stand-in records its arguments in a file named after its own pid,
    // which is the team the roster hands back.
    std::string opener = bin + "/xdg-open";
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" << dir.Path() << "/opened-'$$\n";
    }
    ::chmod(opener.c_str(), 0755);
    // Openers planted in the current folder and a relative one are passed
    // over: only absolute PATH folders count.
    std::string here = dir.File("here");
    ::mkdir(here.c_str(), 0755);
    ::mkdir((here + "/rel").c_str(), 0755);
    for (const std::string& planted : {here + "/xdg-open", here + "/rel/xdg-open"}) {
        std::ofstream(planted) << "#!/bin/sh\ntouch '" << dir.Path() << "/planted-ran'\n";
        ::chmod(planted.c_str(), 0755);
    }
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(here);
    const char* oldPath = std::getenv("PATH");
    EnvironmentVariable path("PATH",
                             ":.:rel::" + bin + ":" + (oldPath ? oldPath : "/usr/bin:/bin"));
    Watcher watcher;

    std::string document = dir.Write("read me.txt", "text");
    entry_ref documentRef = RefFor(document);
    team_id documentTeam = -1;
    ASSERT_EQ(be_roster->Launch(&documentRef, nullptr, &documentTeam), B_OK);

    const char* address[] = {"https://example.org/a b?x=1&y=\"2\""};
    team_id addressTeam = -1;
    ASSERT_EQ(be_roster->Launch("text/html", 1, address, &addressTeam), B_OK);

    auto received = watcher->WaitUntil(HasNoticesFor({documentTeam, addressTeam}));
    ASSERT_TRUE(HasNoticesFor({documentTeam, addressTeam})(received));
    for (const BMessage& message : received) {
        entry_ref ref;
        ASSERT_EQ(message.FindRef("be:ref", &ref), B_OK);
        EXPECT_EQ(ref, RefFor(opener));
    }
    EXPECT_EQ(SplitNul(ReadFileText(dir.File("opened-" + std::to_string(documentTeam)))),
              std::vector<std::string>{documentRef.path});
    EXPECT_EQ(SplitNul(ReadFileText(dir.File("opened-" + std::to_string(addressTeam)))),
              std::vector<std::string>{address[0]});
    EXPECT_FALSE(HasZombieChild());
    std::filesystem::current_path(before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("planted-ran")));

    // xdg-open would take these for options of its own, or has nothing to open.
    const char* option[] = {"--help"};
    team_id team = 4242;
    EXPECT_EQ(be_roster->Launch("text/html", 1, option, &team), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch("text/html", 0, address, &team), B_BAD_VALUE);
    EXPECT_EQ(team, 4242);

    // PATH is read at the call: with no opener in it, nothing starts.
    std::string empty = dir.File("empty");
    ::mkdir(empty.c_str(), 0755);
    EnvironmentVariable emptyPath("PATH", empty);
    EXPECT_EQ(be_roster->Launch(&documentRef, nullptr, &team), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(team, 4242);
}

namespace {

// Waits, with a generous limit that only guards against a hang, for a state
// that no event announces (a file written by a script, a process gone).
bool WaitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The state letter of a process in /proc, or 0 once it is gone.
char ProcessState(pid_t pid) {
    std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

// The process group of a process, from /proc: "pid (name) S ppid pgrp ...".
pid_t ProcessGroup(pid_t pid) {
    std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    auto close = stat.rfind(')');
    int parent = 0, group = 0;
    char state = 0;
    if (close == std::string::npos ||
        std::sscanf(stat.c_str() + close + 1, " %c %d %d", &state, &parent, &group) != 3)
        return -1;
    return group;
}

const BMessage* NoticeFor(const std::vector<BMessage>& messages, team_id team) {
    for (const BMessage& message : messages)
        if (message.what == B_SOME_APP_QUIT && TeamOf(message) == team)
            return &message;
    return nullptr;
}

// Starts /bin/sh with a script, its standard error to errorTarget if given.
team_id LaunchScript(const std::string& script, const BMessenger* errorTarget = nullptr) {
    entry_ref shell = RefFor("/bin/sh");
    const char* argv[] = {"-c", script.c_str()};
    team_id team = -1;
    EXPECT_EQ(be_roster->Launch(&shell, 2, argv, &team, nullptr, errorTarget), B_OK);
    return team;
}

} // namespace

TEST(Roster, TheQuitNoticeSaysHowTheChildEndedAndWhatItWroteLast) {
    Watcher watcher;
    BMessenger none;
    // A child that dumps core does so in its working folder (unless the
    // system hands cores to a collector): a folder of the test's own, so
    // that nothing is left behind.
    TempDir cores;
    const std::string dumpCore = "cd '" + cores.Path() + "' && ulimit -c unlimited; kill -SEGV $$";
    struct Case {
        std::string script;
        bool captured;      // launched with a target for standard error
        bool killed;        // ended with kill_team
        int exitStatus;     // -1: the field must be missing
        int signal;         // -1: the field must be missing
        const char* output; // the lines the notice carries, if captured
    };
    const Case cases[] = {
        {"exit 0", false, false, 0, -1, nullptr},
        {"exit 3", true, false, 3, -1, ""},
        {"kill -SEGV $$", true, false, -1, SIGSEGV, ""},
        // Dumped or not, as the system's limits and core pattern decide, a
        // crash is a signal and never a success.
        {dumpCore, true, false, -1, SIGSEGV, ""},
        {"exec sleep 120", false, true, -1, SIGKILL, nullptr},
        // Lines end at '\n' and '\r', empty ones do not count, the line
        // still being written counts, and only the last four are kept.
        {"echo one >&2; printf 'two\\r\\rthree\\n\\nfour\\r\\nfive' >&2; exit 2", true, false, 2,
         -1, "two\nthree\nfour\nfive\n"},
        {"printf 'ERROR: Input file \"x.mp3\" is not a supported format\\n' >&2; exit 1", true,
         false, 1, -1, "ERROR: Input file \"x.mp3\" is not a supported format\n"},
        // Five whole lines, written one at a time: the oldest goes, the
        // error fourth from the end stays.
        {"for line in first 'ERROR: cannot open' third fourth fifth; do echo \"$line\" >&2; "
         "done; exit 1",
         true, false, 1, -1, "ERROR: cannot open\nthird\nfourth\nfifth\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.script);
        team_id team = LaunchScript(test.script, test.captured ? &none : nullptr);
        ASSERT_GT(team, 0);
        if (test.killed) {
            EXPECT_EQ(kill_team(team), B_OK);
        }
        auto received = watcher->WaitUntil(HasNoticesFor({team}));
        const BMessage* notice = NoticeFor(received, team);
        ASSERT_NE(notice, nullptr);
        int32 value = -1;
        EXPECT_EQ(notice->FindInt32("kit:exit_status", &value) == B_OK, test.exitStatus >= 0);
        if (test.exitStatus >= 0) {
            EXPECT_EQ(value, test.exitStatus);
        }
        EXPECT_EQ(notice->FindInt32("kit:signal", &value) == B_OK, test.signal >= 0);
        if (test.signal >= 0) {
            EXPECT_EQ(value, test.signal);
        }
        std::string output;
        EXPECT_EQ(notice->FindString("kit:error_output", &output) == B_OK, test.captured);
        if (test.captured) {
            EXPECT_EQ(output, test.output);
        }
    }
}

TEST(Roster, ErrorOutputArrivesWholeBeforeTheQuitNoticeAndWaitsAsOneMessage) {
    // The target is the watcher itself, so the order is its queue's order.
    Watcher watcher;
    BMessenger target = watcher.Messenger();
    std::string expected;
    for (int i = 0; i < 500; ++i)
        expected += "line " + std::to_string(i) + "\n";

    // While the target is held, every write (one per line) is added to the
    // one message that waits for it; at most one more was taken from the
    // queue just before.
    // The other watcher, which says when the child has ended, watches
    // before the launch: one that started later would never hear of a
    // child that ended first.
    Watcher other;
    ASSERT_TRUE(watcher->Lock());
    team_id team = LaunchScript(
        "i=0; while [ $i -lt 500 ]; do echo \"line $i\" >&2; i=$((i+1)); done", &target);
    ASSERT_GT(team, 0);
    ASSERT_TRUE(HasNoticesFor({team})(other->WaitUntil(HasNoticesFor({team}))));
    watcher->Unlock();

    auto received = watcher->Sync();
    std::string text;
    int outputs = 0;
    bool noticeSeen = false;
    for (const BMessage& message : received) {
        if (message.what == B_SOME_APP_QUIT && TeamOf(message) == team)
            noticeSeen = true;
        if (message.what != B_CHILD_OUTPUT)
            continue;
        EXPECT_FALSE(noticeSeen) << "output after the quit notice";
        EXPECT_EQ(TeamOf(message), team);
        int64 launch = 0;
        EXPECT_EQ(message.FindInt64("kit:launch", &launch), B_OK);
        std::string chunk;
        ASSERT_EQ(message.FindString("kit:text", &chunk), B_OK);
        text += chunk;
        ++outputs;
    }
    EXPECT_TRUE(noticeSeen);
    EXPECT_EQ(text, expected);
    EXPECT_LE(outputs, 2);
}

TEST(Roster, AChildWritingMegabytesToAHeldTargetIsNeverStalled) {
    Watcher watcher;
    auto* held = new RecordingLooper;
    held->Run();
    BMessenger target(held);
    ASSERT_TRUE(held->Lock());
    // Sixteen megabytes in writes of 64 KiB, far beyond what a pipe holds,
    // then the line that matters.
    team_id team = LaunchScript(
        "head -c 16777216 /dev/zero | tr '\\0' x >&2; echo >&2; echo 'ERROR: the end' >&2; exit 1",
        &target);
    ASSERT_GT(team, 0);
    auto received = watcher->WaitUntil(HasNoticesFor({team}));
    const BMessage* notice = NoticeFor(received, team);
    ASSERT_NE(notice, nullptr);
    std::string output;
    ASSERT_EQ(notice->FindString("kit:error_output", &output), B_OK);
    EXPECT_EQ(output.substr(output.size() - 15), "ERROR: the end\n");
    EXPECT_LE(output.size(), 4 * (kit_private::ChildErrorOutput::kMaxLine + 1));

    // What waited for the held target is bounded, and ends with the newest.
    held->Unlock();
    auto outputs = held->Sync();
    ASSERT_FALSE(outputs.empty());
    EXPECT_LE(outputs.size(), 2u);
    std::string last;
    ASSERT_EQ(outputs.back().FindString("kit:text", &last), B_OK);
    EXPECT_LE(last.size(), kit_private::ChildErrorOutput::kMaxPending);
    EXPECT_EQ(last.substr(last.size() - 15), "ERROR: the end\n");
    held->Finish();
}

TEST(Roster, EveryChildOfABurstIsReadToItsLastLineFromAFullLargePipe) {
    // Each child enlarges its pipe to 1 MiB and writes more than that, so
    // that it ends with its pipe still nearly full: the read after its end
    // must take everything that is left, or its last line is lost.
    Watcher watcher;
    BMessenger none;
    entry_ref probe = RefFor(MF_FLOOD_PROBE_PATH);
    const char* argv[] = {"1200000"};
    std::set<team_id> teams;
    for (int i = 0; i < 8; ++i) {
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&probe, 1, argv, &team, nullptr, &none), B_OK);
        teams.insert(team);
    }
    auto received = watcher->WaitUntil(HasNoticesFor(teams));
    for (team_id team : teams) {
        SCOPED_TRACE(team);
        const BMessage* notice = NoticeFor(received, team);
        ASSERT_NE(notice, nullptr);
        int32 status = -1;
        EXPECT_EQ(notice->FindInt32("kit:exit_status", &status), B_OK);
        EXPECT_EQ(status, 0) << "3: the probe could not enlarge its pipe";
        std::string output;
        ASSERT_EQ(notice->FindString("kit:error_output", &output), B_OK);
        EXPECT_TRUE(output.ends_with("x\nLAST\n")) << output.substr(0, 80);
    }
}

TEST(Roster, KillTeamEndsWhatTheChildStartedInItsGroup) {
    Watcher watcher;
    TempDir dir;
    const std::string pidFile = dir.File("grandchild");
    // The grandchild's life is bounded, should the test fail.
    team_id team = LaunchScript("sleep 120 & echo $! > '" + pidFile + ".new'; mv '" + pidFile +
                                ".new' '" + pidFile + "'; wait");
    ASSERT_GT(team, 0);
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = ReadFileText(pidFile)).empty(); }));
    const pid_t grandchild = std::atoi(text.c_str());
    ASSERT_GT(grandchild, 0);
    EXPECT_EQ(ProcessGroup(team), team);
    EXPECT_EQ(ProcessGroup(grandchild), team);

    EXPECT_EQ(kill_team(team), B_OK);
    ASSERT_TRUE(HasNoticesFor({team})(watcher->WaitUntil(HasNoticesFor({team}))));
    // Gone, or a zombie left for whoever adopted it.
    EXPECT_TRUE(WaitFor([&] {
        char state = ProcessState(grandchild);
        return state == 0 || state == 'Z';
    }));
}

TEST(Roster, AChildOutlivesTheProgramAndStillWritesToItsStandardError) {
    TempDir dir;
    const std::string go = dir.File("go");
    const std::string mark = dir.File("mark");
    ASSERT_EQ(::mkfifo(go.c_str(), 0600), 0);
    // Once let go, the child writes more than a pipe holds to its standard
    // error, which would kill it (SIGPIPE) had nobody been reading since the
    // program ended, and then leaves its mark. Its life is bounded, should
    // the test fail before it lets the child go.
    const std::string script = "exec timeout 60 sh -c \"read x < '" + go +
                               "'; head -c 1048576 /dev/zero >&2 && echo done > '" + mark + "'\"";
    const char* argv[] = {MF_EXIT_PROBE_PATH, script.c_str(), nullptr};
    pid_t probe = -1;
    ASSERT_EQ(::posix_spawn(&probe, MF_EXIT_PROBE_PATH, nullptr, nullptr, const_cast<char**>(argv),
                            environ),
              0);
    int status = -1;
    ASSERT_EQ(::waitpid(probe, &status, 0), probe);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    // The child waits in the open of the FIFO, so a writer that does not
    // wait finds it there, unless it is gone already.
    int writer = -1;
    ASSERT_TRUE(WaitFor([&] {
        writer = ::open(go.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return writer >= 0;
    }));
    ASSERT_EQ(::write(writer, "go\n", 3), 3);
    ::close(writer);
    EXPECT_TRUE(WaitFor([&] { return ReadFileText(mark) == "done\n"; }));
}
