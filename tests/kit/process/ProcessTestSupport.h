#pragma once

// Helpers shared by the process tests: refs, quit notices, the children of
// the test process as /proc shows them, and environment variables set for
// the length of a test.

#include "support/TempDir.h"
#include <kit/app/BRoster.h>

#include "RecordingLooper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

inline entry_ref RefFor(const std::string& path) {
    entry_ref ref;
    EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
    return ref;
}

inline int32 TeamOf(const BMessage& message) {
    int32 team = -1;
    message.FindInt32("be:team", &team);
    return team;
}

// The quit notices among messages, by team.
inline std::multiset<team_id> NoticedTeams(const std::vector<BMessage>& messages) {
    std::multiset<team_id> teams;
    for (const BMessage& message : messages)
        if (message.what == B_SOME_APP_QUIT)
            teams.insert(TeamOf(message));
    return teams;
}

inline auto HasNoticesFor(std::set<team_id> teams) {
    return [teams](const std::vector<BMessage>& messages) {
        auto noticed = NoticedTeams(messages);
        return std::all_of(teams.begin(), teams.end(),
                           [&](team_id team) { return noticed.count(team) > 0; });
    };
}

// The children of this process as /proc shows them: pid and state letter.
inline std::vector<std::pair<pid_t, char>> ChildrenOfUs() {
    std::vector<std::pair<pid_t, char>> children;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return children;
    while (dirent* entry = ::readdir(proc)) {
        pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::string stat = ReadFileText("/proc/" + std::string(entry->d_name) + "/stat");
        // "pid (name) S ppid ...": the name may hold anything, even ')'.
        auto close = stat.rfind(')');
        if (close == std::string::npos || close + 4 >= stat.size())
            continue;
        char state = stat[close + 2];
        pid_t parent = std::atoi(stat.c_str() + close + 4);
        if (parent == ::getpid())
            children.emplace_back(pid, state);
    }
    ::closedir(proc);
    return children;
}

inline bool HasZombieChild() {
    auto children = ChildrenOfUs();
    return std::any_of(children.begin(), children.end(),
                       [](const auto& child) { return child.second == 'Z'; });
}

inline std::vector<std::string> SplitNul(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\0') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

// A looper that watches the roster for the length of a test.
class Watcher {
public:
    explicit Watcher(uint32 mask = B_REQUEST_QUIT) : fLooper(new RecordingLooper) {
        fLooper->Run();
        EXPECT_EQ(be_roster->StartWatching(BMessenger(fLooper), mask), B_OK);
    }
    ~Watcher() {
        be_roster->StopWatching(BMessenger(fLooper));
        fLooper->Finish();
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    RecordingLooper* operator->() { return fLooper; }
    BMessenger Messenger() const { return BMessenger(fLooper); }

private:
    RecordingLooper* fLooper;
};

// Sets an environment variable and puts the old value back at the end. Only
// for the test's own thread: nothing else in the tests reads the environment.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const std::string& value) : fName(name) {
        if (const char* old = std::getenv(name)) {
            fOld = old;
            fHadOld = true;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentVariable() {
        if (fHadOld)
            ::setenv(fName, fOld.c_str(), 1);
        else
            ::unsetenv(fName);
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* fName;
    std::string fOld;
    bool fHadOld = false;
};
