#pragma once

// A stand-in for the encoder: a small shell script that reads its mode from a
// file beside it, appends its argument vector to another, and then exits,
// fails (silently, or with an error line), crashes, writes megabytes to its
// standard error and fails, waits until it is killed, starts a child of its
// own and waits for it (as a wrapper script does; the child's process id goes
// to the file "child", and its life is bounded), or takes its own execute
// permission away (so that the next launch fails), or waits until the test
// opens the gate and then writes its input's path into the output file the
// real encoder would write ("gated"; "gatedfail" then fails with an error line instead; both
// first write a progress line whose figure is their process id modulo 90,
// plus 5), as the
// mode tells it. The mode "byname" takes the mode from the last argument's
// leaf, less ".wav", so that each entry of a list behaves as its name says.
// Every stand-in notes its start and, unless it is killed, its end in the
// file "events", so that a test can tell how many were at work at once.
//
// The mode is read before the record is written, so once a launch's record is
// there, that stand-in has taken its mode, and the test may change the mode
// for the next launches without a race.

#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Arguments = std::vector<std::string>;

class StandInEncoder {
public:
    StandInEncoder() {
        const std::string script =
            "#!/bin/sh\n"
            "read -r mode < '" +
            dir.File("mode") +
            "' 2>/dev/null\n"
            "for last; do :; done\n"
            "[ \"$mode\" = byname ] && mode=$(basename \"$last\" .wav)\n"
            "printf 'start %s\\n' \"$$\" >> '" +
            dir.File("events") +
            "'\n"
            "trap \"printf 'end %s\\\\n' $$ >> '" +
            dir.File("events") +
            "'\" EXIT\n"
            "printf '%s\\0' \"$$\" \"$#\" \"$@\" >> '" +
            dir.File("calls") +
            "'\n"
            "case \"$mode\" in\n"
            "gated|gatedfail) printf '\\r\\t[ %d.0%%] [ 0m01s remaining] |' "
            "$(($$ % 90 + 5)) >&2\n"
            "  while [ ! -e '" +
            dir.File("gate") +
            "' ]; do sleep 0.01; done\n"
            "  [ \"$mode\" = gatedfail ] && { printf '\\nERROR: gated\\n' >&2; exit 1; }\n"
            "  printf '%s' \"$last\" > \"${last%.*}.ogg\" ;;\n"
            "wait) exec sleep 600 ;;\n"
            "fail) exit 1 ;;\n"
            "error) echo \"ERROR: cannot read $last\" >&2; exit 1 ;;\n"
            "crash) kill -SEGV $$ ;;\n"
            "noisy) head -c 4194304 /dev/zero | tr '\\0' x >&2\n"
            "  printf '\\nERROR: noisy\\r\\n\\n' >&2; exit 1 ;;\n"
            "wrapper) sleep 120 & echo $! > '" +
            dir.File("child.new") + "'; mv '" + dir.File("child.new") + "' '" + dir.File("child") +
            "'; wait; exit 3 ;;\n"
            "break) chmod a-x \"$0\" ;;\n"
            "esac\n"
            "exit 0\n";
        fPath = dir.Write("oggenc", script);
        ::chmod(fPath.c_str(), 0755);
        SetMode("exit");
        // Every write to the folder wakes WaitForCalls, so that it waits for
        // the records being written, not for the clock.
        fChanges = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fChanges >= 0)
            ::inotify_add_watch(fChanges, dir.Path().c_str(), IN_MODIFY | IN_CLOSE_WRITE);
    }
    ~StandInEncoder() {
        if (fChanges >= 0)
            ::close(fChanges);
    }
    StandInEncoder(const StandInEncoder&) = delete;
    StandInEncoder& operator=(const StandInEncoder&) = delete;

    const std::string& Path() const { return fPath; }
    // Lets every gated stand-in, now and later, go on.
    void OpenGate() const { dir.Write("gate", ""); }
    // The starts and ends so far, in order: +pid for a start, -pid for an end.
    std::vector<pid_t> Events() const {
        std::vector<pid_t> events;
        const std::string log = ReadFileText(dir.File("events"));
        for (size_t start = 0; start < log.size();) {
            const size_t end = log.find('\n', start);
            if (end == std::string::npos)
                break; // a line still being written
            const std::string line = log.substr(start, end - start);
            const pid_t pid = std::stoi(line.substr(line.find(' ') + 1));
            events.push_back(line.compare(0, 5, "start") == 0 ? pid : -pid);
            start = end + 1;
        }
        return events;
    }
    // The most stand-ins at work at once, by their notes.
    size_t MostAtOnce() const {
        size_t now = 0, most = 0;
        for (pid_t event : Events()) {
            now = event > 0 ? now + 1 : now - 1;
            most = std::max(most, now);
        }
        return most;
    }
    // Replaces the mode file whole, so that a stand-in starting meanwhile
    // reads the old mode or the new one, never an empty file.
    void SetMode(const std::string& mode) const {
        const std::string next = dir.Write("mode.next", mode + "\n");
        ::rename(next.c_str(), dir.File("mode").c_str());
    }

    struct Call {
        pid_t pid;
        Arguments arguments;
    };
    // Every launch so far, in order, with its process id.
    std::vector<Call> Records() const {
        const std::string log = ReadFileText(dir.File("calls"));
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i] == '\0') {
                fields.push_back(log.substr(start, i - start));
                start = i + 1;
            }
        std::vector<Call> calls;
        for (size_t i = 0; i + 1 < fields.size();) {
            const pid_t pid = std::stoi(fields[i++]);
            const size_t count = std::stoul(fields[i++]);
            if (i + count > fields.size())
                break; // a record still being written
            calls.push_back(
                Call{pid, Arguments(fields.begin() + long(i), fields.begin() + long(i + count))});
            i += count;
        }
        return calls;
    }

    // Every launch so far, in order, each as its argument vector.
    std::vector<Arguments> Calls() const {
        std::vector<Arguments> calls;
        for (const Call& call : Records())
            calls.push_back(call.arguments);
        return calls;
    }
    size_t CountCalls() const { return Calls().size(); }

    // Waits until at least count launches have written their records, with a
    // generous limit that only guards against a hang.
    bool WaitForCalls(size_t count,
                      std::chrono::milliseconds limit = std::chrono::seconds(60)) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (CountCalls() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd change{fChanges, POLLIN, 0};
            // Without a change descriptor, look again every millisecond.
            const int wait = fChanges >= 0 ? int(left.count()) : 1;
            if (::poll(&change, 1, wait) > 0) {
                char events[4096];
                while (::read(fChanges, events, sizeof events) > 0) {
                }
            }
        }
        return true;
    }

    TempDir dir;

private:
    std::string fPath;
    int fChanges = -1;
};

// Waits, with a generous limit that only guards against a hang, until the
// condition holds.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
