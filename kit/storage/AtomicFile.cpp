#include "storage/AtomicFile.h"

#include "storage/BEntry.h"
#include "storage/BPath.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether a folder or file may be written by the kit's rules: its mode must
// grant writing to someone, and the kernel must let us write it.
bool may_write(const std::string& path, const struct stat& info) {
    return kit_private::mode_allows_writing(info.st_mode) &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

AtomicFile::~AtomicFile() {
    Abandon();
}

void AtomicFile::Abandon() {
    Unset();
    if (!fTemporary.empty())
        ::unlink(fTemporary.c_str());
    fTemporary.clear();
}

status_t AtomicFile::SetTo(const char* path) {
    Abandon();
    fTarget.clear();
    fKeepMode = false;

    BEntry entry(path, true);
    BPath target;
    if (status_t status = entry.InitCheck(); status != B_OK) {
        Adopt(-1, status, false);
        return InitCheck();
    }
    if (status_t status = entry.GetPath(&target); status != B_OK) {
        Adopt(-1, status, false);
        return InitCheck();
    }
    fTarget = target.Path();
    const size_t slash = fTarget.rfind('/');
    std::string folder(fTarget, 0, slash);
    if (folder.empty())
        folder.push_back('/'); // the root
    std::string leaf(fTarget, slash + 1);

    status_t status = B_OK;
    struct stat info {};
    if (::stat(fTarget.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            status = B_IS_A_DIRECTORY;
        else if (!S_ISREG(info.st_mode))
            status = B_BAD_VALUE;
        else if (!may_write(fTarget, info))
            status = B_PERMISSION_DENIED;
        fMode = info.st_mode & 07777;
        fKeepMode = true;
    } else if (errno != ENOENT) {
        status = status_from_errno(errno);
    }
    struct stat folderInfo {};
    if (status == B_OK && ::stat(folder.c_str(), &folderInfo) != 0)
        status = status_from_errno(errno);
    else if (status == B_OK && !may_write(folder, folderInfo))
        status = B_PERMISSION_DENIED;
    if (status != B_OK) {
        Adopt(-1, status, false);
        return InitCheck();
    }

    // A hidden name beside the target; the name's length stays within what
    // a folder entry may hold.
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%d-%u.tmp", int(::getpid()), counter++);
        fTemporary = folder;
        fTemporary += "/.";
        fTemporary.append(leaf, 0, 180);
        fTemporary += suffix;
        fd = ::open(fTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        int error = errno;
        fTemporary.clear();
        Adopt(-1, status_from_errno(error), false);
        return InitCheck();
    }
    ::close(fd);
    if (BFile::SetTo(fTemporary.c_str(), B_WRITE_ONLY) != B_OK) {
        status_t failure = InitCheck();
        Abandon();
        Adopt(-1, failure, false);
    }
    return InitCheck();
}

status_t AtomicFile::Commit() {
    if (InitCheck() != B_OK || fTemporary.empty())
        return B_NO_INIT;
    status_t status = B_OK;
    if (fKeepMode && ::fchmod(Descriptor(), fMode) != 0)
        status = status_from_errno(errno);
    if (status == B_OK && ::fsync(Descriptor()) != 0)
        status = status_from_errno(errno);
    if (status == B_OK && ::rename(fTemporary.c_str(), fTarget.c_str()) != 0)
        status = status_from_errno(errno);
    if (status != B_OK) {
        Abandon();
        return status;
    }
    fTemporary.clear();
    Unset();
    // The rename itself reaches the disk with the folder.
    std::string folder = fTarget.substr(0, fTarget.rfind('/'));
    int folderFd =
        ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return B_OK;
}
