// The list file reader on arbitrary bytes. Whatever the file holds, the
// reader must come back with entries that fit a path buffer and hold no LF,
// and every entry a path can be must survive writing and reading again.

#include "filelist/ListFile.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(std::string bytes) {
    std::vector<std::string> entries;
    if (bytes.empty())
        return entries;
    FILE* stream = ::fmemopen(bytes.data(), bytes.size(), "r");
    if (stream == nullptr)
        return entries;
    ListFile::Read(stream, &entries);
    std::fclose(stream);
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> entries =
        ReadAll(std::string(reinterpret_cast<const char*>(data), size));
    std::string written = ListFile::kHeader;
    std::vector<std::string> kept;
    for (const std::string& entry : entries) {
        // A line yields at most 1024 bytes after its ";", never a LF or NUL.
        if (entry.size() > 1024 || entry.find('\n') != std::string::npos ||
            entry.find('\0') != std::string::npos)
            __builtin_trap();
        // Only an entry that could not come back as it is may be refused.
        if (ListFile::AppendEntry(&written, entry.c_str()))
            kept.push_back(entry);
        else if (entry.size() < ListFile::kLongestEntry ||
                 (entry.size() == ListFile::kLongestEntry && entry.back() != '\r'))
            __builtin_trap();
    }
    if (ReadAll(written) != kept)
        __builtin_trap();
    return 0;
}
