// Feeds any bytes to the running instance's frame reader, whole and in small
// pieces: both must agree, and a frame it takes must be exactly the frame
// that a sender would write for those paths.

#include <kit/app/private/HandOverFrame.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using kit_private::HandOverFrame;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    size_t piece = data[0] % 16 + 1;
    const uint8_t* bytes = data + 1;
    size_t length = size - 1;

    HandOverFrame whole;
    size_t used = whole.Feed(bytes, length);
    check(used <= length);

    HandOverFrame pieces;
    size_t usedInPieces = 0;
    while (usedInPieces < length && pieces.GetState() == HandOverFrame::State::kNeedMore) {
        size_t take = std::min(piece, length - usedInPieces);
        size_t taken = pieces.Feed(bytes + usedInPieces, take);
        check(taken <= take);
        usedInPieces += taken;
        if (taken < take)
            break;
    }
    check(whole.GetState() == pieces.GetState());
    if (whole.GetState() == HandOverFrame::State::kBad)
        return 0;
    check(used == usedInPieces);
    if (whole.GetState() != HandOverFrame::State::kComplete)
        return 0;

    std::vector<std::string> paths = whole.TakePaths();
    check(pieces.TakePaths() == paths);
    std::string frame;
    size_t next = 0;
    check(HandOverFrame::Build(paths, 0, &next, &frame));
    check(next == paths.size());
    check(frame == std::string(reinterpret_cast<const char*>(bytes), used));
    check(whole.AtStart());
    return 0;
}
