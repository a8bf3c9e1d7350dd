#include <kit/app/private/HandOverFrame.h>

#include <algorithm>
#include <cstring>

namespace kit_private {

namespace {

constexpr char kMagic[4] = {'M', 'F', 'H', 'O'};

uint32 get_number(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return (static_cast<uint32>(b[0]) << 24) | (static_cast<uint32>(b[1]) << 16) |
           (static_cast<uint32>(b[2]) << 8) | static_cast<uint32>(b[3]);
}

void put_number(std::string* frame, uint32 number) {
    frame->push_back(static_cast<char>(number >> 24));
    frame->push_back(static_cast<char>(number >> 16));
    frame->push_back(static_cast<char>(number >> 8));
    frame->push_back(static_cast<char>(number));
}

} // namespace

bool HandOverFrame::IsValidPath(std::string_view path) {
    return !path.empty() && path.size() <= kMaxPathLength && path.front() == '/' &&
           path.find('\0') == std::string_view::npos;
}

bool HandOverFrame::Build(const std::vector<std::string>& paths, size_t first, size_t* next,
                          std::string* frame) {
    std::string bytes(kMagic, sizeof kMagic);
    put_number(&bytes, kVersion);
    put_number(&bytes, 0);
    size_t end = first;
    while (end < paths.size() && end - first < kMaxPaths) {
        const std::string& path = paths[end];
        if (!IsValidPath(path))
            return false;
        if (bytes.size() + 4 + path.size() > kMaxFrameBytes)
            break;
        put_number(&bytes, static_cast<uint32>(path.size()));
        bytes += path;
        ++end;
    }
    uint32 count = static_cast<uint32>(end - first);
    for (int i = 0; i < 4; ++i)
        bytes[8 + static_cast<size_t>(i)] = static_cast<char>(count >> (24 - 8 * i));
    *frame = std::move(bytes);
    *next = end;
    return true;
}

void HandOverFrame::Fail() {
    fState = State::kBad;
    fPending.clear();
    fPath.clear();
    fPaths.clear();
}

void HandOverFrame::Reset() {
    fState = State::kNeedMore;
    fStage = Stage::kHeader;
    fPending.clear();
    fPath.clear();
    fPathLength = 0;
    fCount = 0;
    fTotal = 0;
    fPaths.clear();
}

std::vector<std::string> HandOverFrame::TakePaths() {
    std::vector<std::string> paths =
        fState == State::kComplete ? std::move(fPaths) : std::vector<std::string>();
    Reset();
    return paths;
}

size_t HandOverFrame::Feed(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    size_t used = 0;
    while (fState == State::kNeedMore && used < size) {
        switch (fStage) {
        case Stage::kHeader: {
            size_t take = std::min(kHeaderBytes - fPending.size(), size - used);
            fPending.append(bytes + used, take);
            used += take;
            if (fPending.size() < kHeaderBytes)
                break;
            if (std::memcmp(fPending.data(), kMagic, sizeof kMagic) != 0 ||
                get_number(fPending.data() + 4) != kVersion) {
                Fail();
                break;
            }
            fCount = get_number(fPending.data() + 8);
            fPending.clear();
            fTotal = kHeaderBytes;
            if (fCount > kMaxPaths) {
                Fail();
                break;
            }
            fPaths.reserve(std::min<uint32>(fCount, 256));
            fStage = Stage::kLength;
            if (fCount == 0)
                fState = State::kComplete;
            break;
        }
        case Stage::kLength: {
            size_t take = std::min(4 - fPending.size(), size - used);
            fPending.append(bytes + used, take);
            used += take;
            if (fPending.size() < 4)
                break;
            fPathLength = get_number(fPending.data());
            fPending.clear();
            fTotal += 4 + static_cast<size_t>(fPathLength);
            if (fPathLength == 0 || fPathLength > kMaxPathLength || fTotal > kMaxFrameBytes) {
                Fail();
                break;
            }
            fPath.clear();
            fPath.reserve(fPathLength);
            fStage = Stage::kPath;
            break;
        }
        case Stage::kPath: {
            size_t take = std::min<size_t>(fPathLength - fPath.size(), size - used);
            fPath.append(bytes + used, take);
            used += take;
            if (fPath.size() < fPathLength)
                break;
            if (!IsValidPath(fPath)) {
                Fail();
                break;
            }
            fPaths.push_back(std::move(fPath));
            fPath.clear();
            fStage = Stage::kLength;
            if (fPaths.size() == fCount)
                fState = State::kComplete;
            break;
        }
        }
    }
    return used;
}

} // namespace kit_private
