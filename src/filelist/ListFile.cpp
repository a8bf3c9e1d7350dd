#include "filelist/ListFile.h"

#include "app/MFApp.h"
#include "storage/AtomicFile.h"
#include "storage/BNodeInfo.h"

#include <algorithm>
#include <cstring>

namespace {

// One piece holds at most 1025 bytes: "0;", a path of 1023 bytes, but not its
// LF, which then comes as a piece of its own.
constexpr int kPieceSize = 1026;
// Large lists go to the disk in writes of this size.
constexpr size_t kWriteSize = 1 << 16;

} // namespace

bool ListFile::Read(FILE* stream, std::vector<std::string>* entries) {
    char piece[kPieceSize];
    while (std::fgets(piece, sizeof piece, stream) != nullptr) {
        size_t length = std::strlen(piece);
        // Empty lines of either kind, the header and other comments.
        if (length == 0 || piece[0] == '\r' || piece[0] == '\n' || piece[0] == '#')
            continue;
        const char* separator = std::strchr(piece, ';');
        // A line without ";", or with nothing after it (a LF counts).
        if (separator == nullptr || separator[1] == '\0')
            continue;
        if (piece[length - 1] == '\r' || piece[length - 1] == '\n')
            piece[--length] = '\0';
        const char* text = separator + 1;
        entries->emplace_back(text, static_cast<size_t>(piece + length - text));
    }
    return std::ferror(stream) == 0;
}

bool ListFile::AppendEntry(std::string* contents, const char* text) {
    // Read back, a LF would split the entry in two, and a text longer than a
    // path (only a hand-made file yields one) would lose its end.
    if (std::strchr(text, '\n') != nullptr || std::strlen(text) > kLongestEntry)
        return false;
    contents->append("0;");
    contents->append(text);
    contents->push_back('\n');
    return true;
}

ListFile::Outcome ListFile::Write(const char* path, const std::string& contents) {
    AtomicFile file;
    if (file.SetTo(path) != B_OK)
        return Outcome::CannotCreate;
    // A write that moves fewer bytes than asked means the disk is full (or
    // the file may grow no further): the list is not written.
    for (size_t done = 0; done < contents.size();) {
        size_t chunk = std::min(kWriteSize, contents.size() - done);
        if (file.Write(contents.data() + done, chunk) != static_cast<ssize_t>(chunk))
            return Outcome::CannotWrite;
        done += chunk;
    }
    // A type that cannot be set is no reason to lose the list.
    BNodeInfo(&file).SetType(kListMimeType);
    return file.Commit() == B_OK ? Outcome::Written : Outcome::CannotWrite;
}
