#pragma once

// One frame of a hand-over between two starts of the same program (see
// InstanceChannel): how it is written and how the running instance reads it,
// byte by byte as the bytes arrive.
//
// A frame is "MFHO", the version (2), the number of paths, then per path its
// length and its bytes; every number a 32-bit unsigned integer, most
// significant byte first. Paths are absolute and hold no NUL byte. A frame
// holds at most kMaxPaths paths and kMaxFrameBytes bytes in all, so that the
// reader's memory stays bounded; any number of paths goes in as many frames
// as needed.
//
// Thread: an object belongs to the thread that made it.

#include <kit/app/SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

namespace kit_private {

class HandOverFrame {
public:
    static constexpr uint32 kVersion = 2;
    static constexpr uint32 kMaxPaths = 4096;
    static constexpr uint32 kMaxPathLength = 4095;
    static constexpr size_t kMaxFrameBytes = 1024 * 1024;
    static constexpr size_t kHeaderBytes = 12;

    enum class State { kNeedMore, kComplete, kBad };

    // Reads bytes of the frame and returns how many it used: it stops at the
    // end of the frame, and takes nothing once the frame is complete or bad.
    size_t Feed(const void* data, size_t size);
    State GetState() const { return fState; }
    // The paths of a complete frame; the reader starts on a new frame.
    std::vector<std::string> TakePaths();
    // Drops what was read and starts on a new frame.
    void Reset();
    // True before the first byte of a frame.
    bool AtStart() const {
        return fState == State::kNeedMore && fStage == Stage::kHeader && fPending.empty();
    }

    // A path that may be handed over.
    static bool IsValidPath(std::string_view path);
    // Writes the frame of paths[first], paths[first + 1], ... as many as
    // fit, and stores the index after the last one taken in next. An empty
    // list gives one frame without paths. False (and nothing written) when a
    // path is not valid.
    static bool Build(const std::vector<std::string>& paths, size_t first, size_t* next,
                      std::string* frame);

private:
    enum class Stage { kHeader, kLength, kPath };

    void Fail();

    State fState = State::kNeedMore;
    Stage fStage = Stage::kHeader;
    std::string fPending; // the header or a length being read
    std::string fPath;
    uint32 fPathLength = 0;
    uint32 fCount = 0;
    size_t fTotal = 0;
    std::vector<std::string> fPaths;
};

} // namespace kit_private
