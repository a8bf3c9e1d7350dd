#include "filelist/ListFile.h"

#include "app/MFApp.h"
#include <kit/storage/AtomicFile.h>
#include <kit/storage/BEntry.h>
#include <kit/storage/BNode.h>
#include <kit/storage/BNodeInfo.h>
#include <kit/storage/BPath.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One piece holds at most 1025 bytes: "0;", a path of 1023 bytes, but not its
// LF, which then comes as a piece of its own.
constexpr int kPieceSize = 1026;
bool Writable(const char* path, const struct stat& info) {
    return mode_allows_writing(info.st_mode) && ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
}

// Whether a list file may be written at path (links already followed): its
// folder may take a new file, and a file already there may be replaced.
bool MayWriteInPlace(const char* path) {
    std::string folder(path, std::strrchr(path, '/') - path);
    if (folder.empty())
        folder.push_back('/');
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        !Writable(folder.c_str(), info))
        return false;
    if (::stat(path, &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) && Writable(path, info);
}

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
    // path (only a hand-made file yields one) would lose its end. So would a
    // text of a path's full length that ends in CR: its line fills a whole
    // piece without the LF, and the reader takes that CR for the line end.
    const size_t length = std::strlen(text);
    if (std::strchr(text, '\n') != nullptr || length > kLongestEntry ||
        (length == kLongestEntry && text[length - 1] == '\r'))
        return false;
    contents->append("0;");
    contents->append(text);
    contents->push_back('\n');
    return true;
}

ListFile::Outcome ListFile::Write(const char* path, const std::string& contents) {
    // The file must be one that may be created or written in place: a link
    // counts as its target, and a file or folder whose mode lets nobody
    // write it counts as read-only, whoever runs the program.
    BEntry entry(path, true);
    BPath target;
    if (entry.GetPath(&target) != B_OK || !MayWriteInPlace(target.Path()))
        return Outcome::CannotCreate;
    status_t status =
        write_file_atomically(target.Path(), contents, 0644, [](const std::string& temporary) {
            // A type that cannot be set is no reason to lose the list.
            BNode node(temporary.c_str());
            BNodeInfo(&node).SetType(kListMimeType);
            return B_OK;
        });
    switch (status) {
    case B_OK:
        return Outcome::Written;
    case B_PERMISSION_DENIED:
    case B_NOT_ALLOWED:
    case B_READ_ONLY_DEVICE:
    case B_NAME_TOO_LONG:
    case B_ENTRY_NOT_FOUND:
    case B_NOT_A_DIRECTORY:
    case B_IS_A_DIRECTORY:
    case B_BAD_VALUE:
    case B_LINK_LIMIT:
        return Outcome::CannotCreate;
    default:
        // A full disk, a file that may grow no further, a failing device.
        return Outcome::CannotWrite;
    }
}
