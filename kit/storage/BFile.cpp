#include <kit/storage/BFile.h>

#include <kit/storage/BEntry.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32 kAccessMask = O_ACCMODE;
constexpr uint32 kKnownFlags =
    kAccessMask | B_CREATE_FILE | B_ERASE_FILE | B_FAIL_IF_EXISTS | B_OPEN_AT_END;

bool wants_writing(uint32 mode) {
    uint32 access = mode & kAccessMask;
    return access == B_WRITE_ONLY || access == B_READ_WRITE;
}

} // namespace

BFile::BFile(const char* path, uint32 openMode) {
    SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode) {
    SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode) {
    SetTo(entry, openMode);
}

status_t BFile::SetTo(const char* path, uint32 openMode) {
    fMode = 0;
    if (path == nullptr || *path == '\0' || (openMode & ~kKnownFlags) != 0 ||
        (openMode & kAccessMask) == kAccessMask) {
        Adopt(-1, B_BAD_VALUE, false);
        return InitCheck();
    }

    // The write check comes before the open, because opening with
    // B_ERASE_FILE would already have emptied a read-only file.
    bool writing = wants_writing(openMode);
    struct stat before {};
    bool existed = ::stat(path, &before) == 0;
    if (existed && writing && !mode_allows_writing(before.st_mode)) {
        Adopt(-1, B_PERMISSION_DENIED, false);
        return InitCheck();
    }

    // Erasing is done after the checks below, on the descriptor.
    int flags = static_cast<int>(openMode & ~static_cast<uint32>(B_ERASE_FILE)) | O_CLOEXEC;
    int fd = ::open(path, flags, 0666);
    bool attributesOnly = false;
    if (fd < 0 && errno == ETXTBSY && (openMode & B_ERASE_FILE) == 0) {
        // A program that is running cannot be opened for writing, yet its
        // attributes can be written: the program keeps its options there.
        // The file is opened for reading; writing its data then fails.
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
        attributesOnly = fd >= 0;
    }
    if (fd < 0) {
        Adopt(-1, status_from_errno(errno), false);
        return InitCheck();
    }

    struct stat info {};
    status_t status = B_OK;
    if (::fstat(fd, &info) != 0)
        status = status_from_errno(errno);
    else if (S_ISDIR(info.st_mode))
        status = B_IS_A_DIRECTORY;
    else if (writing && !mode_allows_writing(info.st_mode))
        status = B_PERMISSION_DENIED; // replaced by a read-only file meanwhile
    else if (writing && (openMode & B_ERASE_FILE) != 0 && ::ftruncate(fd, 0) != 0)
        status = status_from_errno(errno);
    if (status != B_OK) {
        ::close(fd);
        Adopt(-1, status, false);
        return InitCheck();
    }
    Adopt(fd, B_OK, writing);
    fMode = attributesOnly ? static_cast<uint32>(B_READ_ONLY) : openMode;
    return InitCheck();
}

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode) {
    if (ref == nullptr || ref->path.empty()) {
        Adopt(-1, B_BAD_VALUE, false);
        return InitCheck();
    }
    return SetTo(ref->path.c_str(), openMode);
}

status_t BFile::SetTo(const BEntry* entry, uint32 openMode) {
    entry_ref ref;
    if (entry == nullptr || entry->GetRef(&ref) != B_OK) {
        Adopt(-1, entry == nullptr ? B_BAD_VALUE : entry->InitCheck(), false);
        return InitCheck();
    }
    return SetTo(&ref, openMode);
}

bool BFile::IsReadable() const {
    uint32 access = fMode & kAccessMask;
    return InitCheck() == B_OK && (access == B_READ_ONLY || access == B_READ_WRITE);
}

bool BFile::IsWritable() const {
    return InitCheck() == B_OK && wants_writing(fMode);
}

ssize_t BFile::Read(void* buffer, size_t size) {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    ssize_t result;
    do
        result = ::read(Descriptor(), buffer, size);
    while (result < 0 && errno == EINTR);
    return result < 0 ? status_from_errno(errno) : result;
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size) {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if ((buffer == nullptr && size > 0) || position < 0)
        return B_BAD_VALUE;
    ssize_t result;
    do
        result = ::pread(Descriptor(), buffer, size, position);
    while (result < 0 && errno == EINTR);
    return result < 0 ? status_from_errno(errno) : result;
}

ssize_t BFile::Write(const void* buffer, size_t size) {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    ssize_t result;
    do
        result = ::write(Descriptor(), buffer, size);
    while (result < 0 && errno == EINTR);
    return result < 0 ? status_from_errno(errno) : result;
}

ssize_t BFile::WriteAt(off_t position, const void* buffer, size_t size) {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if ((buffer == nullptr && size > 0) || position < 0)
        return B_BAD_VALUE;
    ssize_t result;
    do
        result = ::pwrite(Descriptor(), buffer, size, position);
    while (result < 0 && errno == EINTR);
    return result < 0 ? status_from_errno(errno) : result;
}

status_t BFile::GetSize(off_t* size) const {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if (size == nullptr)
        return B_BAD_VALUE;
    struct stat info {};
    if (::fstat(Descriptor(), &info) != 0)
        return status_from_errno(errno);
    *size = info.st_size;
    return B_OK;
}

status_t BFile::SetSize(off_t size) {
    if (InitCheck() != B_OK)
        return B_FILE_ERROR;
    if (size < 0)
        return B_BAD_VALUE;
    return ::ftruncate(Descriptor(), size) == 0 ? B_OK : status_from_errno(errno);
}
