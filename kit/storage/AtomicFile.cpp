#include <kit/storage/AtomicFile.h>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file that path finally names: links are followed, relative ones from
// the folder of the link. The result may not exist yet.
status_t final_target(const std::string& path, std::string* target) {
    std::string current = path;
    // As many links as the kernel itself follows before giving up.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return status_from_errno(errno);
            *target = current;
            return B_OK;
        }
        if (!S_ISLNK(info.st_mode)) {
            *target = current;
            return B_OK;
        }
        char buffer[PATH_MAX];
        ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer);
        if (length < 0)
            return status_from_errno(errno);
        if (static_cast<size_t>(length) >= sizeof buffer)
            return B_NAME_TOO_LONG;
        std::string link(buffer, static_cast<size_t>(length));
        if (link.empty())
            return B_ENTRY_NOT_FOUND;
        if (link.front() != '/') {
            size_t slash = current.rfind('/');
            link =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
        }
        current = std::move(link);
    }
    return status_from_errno(ELOOP);
}

status_t write_all(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t count = ::write(fd, bytes + done, size - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        done += static_cast<size_t>(count);
    }
    return B_OK;
}

} // namespace

status_t write_file_atomically(const std::string& path, const void* data, size_t size,
                               mode_t newFileMode, const finish_temporary& finish) {
    if (path.empty() || (data == nullptr && size > 0))
        return B_BAD_VALUE;
    std::string target;
    if (status_t status = final_target(path, &target); status != B_OK)
        return status;

    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return status_from_errno(errno);
    if (exists && !S_ISREG(existing.st_mode))
        return S_ISDIR(existing.st_mode) ? B_IS_A_DIRECTORY : B_BAD_VALUE;

    std::string temporary = target + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    status_t status = write_all(fd, data, size);
    if (status == B_OK && exists && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        // A file of somebody else's that we may write to but cannot give
        // back to its owner is left alone rather than taken over.
        struct stat mine {};
        if (::fstat(fd, &mine) != 0 || mine.st_uid != existing.st_uid ||
            mine.st_gid != existing.st_gid)
            status = B_NOT_ALLOWED;
    }
    mode_t mode = exists ? (existing.st_mode & 07777) : (newFileMode & 07777);
    if (status == B_OK && ::fchmod(fd, mode) != 0)
        status = status_from_errno(errno);
    if (status == B_OK && finish)
        status = finish(temporary);
    if (status == B_OK && ::fsync(fd) != 0)
        status = status_from_errno(errno);
    if (::close(fd) != 0 && status == B_OK)
        status = status_from_errno(errno);
    if (status == B_OK && ::rename(temporary.c_str(), target.c_str()) != 0)
        status = status_from_errno(errno);
    if (status != B_OK)
        ::unlink(temporary.c_str());
    return status;
}
