#pragma once

// A stand-in for the encoder: a small shell script that appends its argument
// vector to a file and then exits, fails, waits until it is killed, or takes
// its own execute permission away (so that the next launch fails), as the
// test tells it through a mode file beside it.

#include "support/TempDir.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <vector>

using Arguments = std::vector<std::string>;

class StandInEncoder {
public:
    StandInEncoder() {
        const std::string script = "#!/bin/sh\n"
                                   "printf '%s\\0' \"$$\" \"$#\" \"$@\" >> '" +
                                   dir.File("calls") +
                                   "'\n"
                                   "read -r mode < '" +
                                   dir.File("mode") +
                                   "' 2>/dev/null\n"
                                   "case \"$mode\" in\n"
                                   "wait) exec sleep 600 ;;\n"
                                   "fail) exit 1 ;;\n"
                                   "break) chmod a-x \"$0\" ;;\n"
                                   "esac\n"
                                   "exit 0\n";
        fPath = dir.Write("oggenc", script);
        ::chmod(fPath.c_str(), 0755);
        SetMode("exit");
    }

    const std::string& Path() const { return fPath; }
    void SetMode(const std::string& mode) const { dir.Write("mode", mode + "\n"); }

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

    TempDir dir;

private:
    std::string fPath;
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
