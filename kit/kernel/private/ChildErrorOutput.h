#pragma once

// The read end of the pipe that one child's standard error goes to: what the
// child writes is passed on to a target as B_CHILD_OUTPUT, and its last lines
// are kept for its quit notice.
//
// The pipe is read without ever blocking, however much the child writes and
// however slowly the target's looper takes its messages: at most one message
// per child waits in the target's queue, and what comes meanwhile is appended
// to it, keeping only the newest kMaxPending bytes should the target fall that
// far behind.
//
// Kit-private. Thread: the process watcher's, apart from the construction and
// Descriptor, which the launching thread and the exit handler use.

#include <kit/app/BMessenger.h>
#include <kit/kernel/OS.h>

#include <deque>
#include <string>
#include <string_view>

namespace kit_private {

class ChildErrorOutput {
public:
    // How many lines the quit notice carries, and how long each may be.
    static constexpr size_t kKeptLines = 4;
    static constexpr size_t kMaxLine = 1024;
    // How much text one waiting message may hold.
    static constexpr size_t kMaxPending = 256 * 1024;

    // Takes over descriptor, the non-blocking read end of the pipe (-1 for
    // none, as in tests of the line keeping). target may be invalid: then
    // only the lines are kept.
    ChildErrorOutput(int descriptor, const BMessenger& target, team_id team, int64 launch);
    ~ChildErrorOutput();
    ChildErrorOutput(const ChildErrorOutput&) = delete;
    ChildErrorOutput& operator=(const ChildErrorOutput&) = delete;

    // -1 once closed.
    int Descriptor() const { return fDescriptor; }

    // Reads what the pipe holds now, up to limit bytes, and passes it on.
    // True once the pipe has reached its end (every writer has closed it).
    bool Read(size_t limit);
    void Close();

    // Passes bytes on as if the child had written them.
    void Take(std::string_view bytes);

    // The last kKeptLines lines that were not empty, oldest first, each
    // ended by '\n'; the line still being written counts as the last one.
    // Lines end at '\n' and at '\r'.
    std::string LastLines() const;

private:
    void Keep(std::string_view bytes);
    void Post(std::string_view bytes);

    int fDescriptor;
    BMessenger fTarget;
    team_id fTeam;
    int64 fLaunch;
    std::deque<std::string> fLines;
    std::string fPartial;
};

} // namespace kit_private
