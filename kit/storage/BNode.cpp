#include <kit/storage/BNode.h>

#include <kit/storage/BEntry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kTypeSize = 4;
// The largest value the kernel stores in one extended attribute.
constexpr size_t kMaxValueSize = 65536;

status_t attribute_name(const char* name, std::string* full) {
    if (name == nullptr || *name == '\0')
        return B_BAD_VALUE;
    *full = std::string("user.") + name;
    if (full->size() >= B_ATTR_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    return B_OK;
}

// Reads a whole extended attribute; the value may change size between the
// two calls, so a value that grew is asked for again.
status_t read_value(int fd, const std::string& name, std::vector<uint8>* value) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0)
            return status_from_errno(errno);
        value->resize(static_cast<size_t>(size));
        ssize_t read = ::fgetxattr(fd, name.c_str(), value->data(), value->size());
        if (read >= 0) {
            value->resize(static_cast<size_t>(read));
            return B_OK;
        }
        if (errno != ERANGE)
            return status_from_errno(errno);
    }
    return B_BUSY;
}

type_code decode_type(const std::vector<uint8>& value) {
    return (static_cast<type_code>(value[0]) << 24) | (static_cast<type_code>(value[1]) << 16) |
           (static_cast<type_code>(value[2]) << 8) | static_cast<type_code>(value[3]);
}

} // namespace

bool mode_allows_writing(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

BNode::BNode(const char* path) {
    SetTo(path);
}

BNode::BNode(const entry_ref* ref) {
    SetTo(ref);
}

BNode::BNode(const BEntry* entry) {
    SetTo(entry);
}

BNode::~BNode() {
    Unset();
}

status_t BNode::SetTo(const char* path) {
    Unset();
    if (path == nullptr || *path == '\0') {
        fStatus = B_BAD_VALUE;
        return fStatus;
    }
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fStatus = status_from_errno(errno);
        return fStatus;
    }
    struct stat info {};
    bool writable = ::fstat(fd, &info) == 0 && mode_allows_writing(info.st_mode) &&
                    ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
    Adopt(fd, B_OK, writable);
    return fStatus;
}

status_t BNode::SetTo(const entry_ref* ref) {
    if (ref == nullptr || ref->path.empty()) {
        Unset();
        fStatus = B_BAD_VALUE;
        return fStatus;
    }
    return SetTo(ref->path.c_str());
}

status_t BNode::SetTo(const BEntry* entry) {
    entry_ref ref;
    if (entry == nullptr || entry->GetRef(&ref) != B_OK) {
        Unset();
        fStatus = entry == nullptr ? B_BAD_VALUE : entry->InitCheck();
        return fStatus;
    }
    return SetTo(&ref);
}

void BNode::Unset() {
    if (fFd >= 0)
        ::close(fFd);
    fFd = -1;
    fWritable = false;
    fStatus = B_NO_INIT;
}

void BNode::Adopt(int fd, status_t status, bool writable) {
    Unset();
    fFd = fd;
    fWritable = fd >= 0 && writable;
    fStatus = fd >= 0 ? B_OK : status;
}

status_t BNode::ReadTypedValue(const char* name, std::vector<uint8>* value) const {
    if (fFd < 0)
        return B_FILE_ERROR;
    std::string fullName;
    if (status_t status = attribute_name(name, &fullName); status != B_OK)
        return status;
    if (status_t status = read_value(fFd, fullName, value); status != B_OK)
        return status;
    // A value too short to hold a type code was not written by the kit.
    return value->size() < kTypeSize ? B_BAD_TYPE : B_OK;
}

ssize_t BNode::ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
                        size_t length) const {
    if (fFd >= 0 && (offset < 0 || (buffer == nullptr && length > 0)))
        return B_BAD_VALUE;
    std::vector<uint8> value;
    if (status_t status = ReadTypedValue(name, &value); status != B_OK)
        return status;
    if (type != B_ANY_TYPE && decode_type(value) != type)
        return B_BAD_TYPE;

    size_t dataSize = value.size() - kTypeSize;
    size_t start = static_cast<size_t>(offset);
    if (start >= dataSize || length == 0)
        return 0;
    size_t count = std::min(length, dataSize - start);
    std::memcpy(buffer, value.data() + kTypeSize + start, count);
    return static_cast<ssize_t>(count);
}

ssize_t BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
                         size_t length) {
    if (fFd < 0)
        return B_FILE_ERROR;
    std::string fullName;
    if (status_t status = attribute_name(name, &fullName); status != B_OK)
        return status;
    if (offset < 0 || (buffer == nullptr && length > 0))
        return B_BAD_VALUE;
    if (!fWritable)
        return B_NOT_ALLOWED;
    if (static_cast<uint64>(offset) + length > kMaxValueSize - kTypeSize)
        return B_BUFFER_OVERFLOW;

    std::vector<uint8> value;
    if (offset > 0) {
        std::vector<uint8> old;
        if (read_value(fFd, fullName, &old) == B_OK && old.size() >= kTypeSize &&
            decode_type(old) == type)
            value = std::move(old);
    }
    size_t start = static_cast<size_t>(offset);
    value.resize(std::max(value.size(), kTypeSize + start + length), 0);
    value[0] = static_cast<uint8>(type >> 24);
    value[1] = static_cast<uint8>(type >> 16);
    value[2] = static_cast<uint8>(type >> 8);
    value[3] = static_cast<uint8>(type);
    if (length > 0)
        std::memcpy(value.data() + kTypeSize + start, buffer, length);

    // One call replaces the whole value, so a failure leaves the old one.
    if (::fsetxattr(fFd, fullName.c_str(), value.data(), value.size(), 0) != 0)
        return status_from_errno(errno);
    return static_cast<ssize_t>(length);
}

status_t BNode::RemoveAttr(const char* name) {
    if (fFd < 0)
        return B_FILE_ERROR;
    std::string fullName;
    if (status_t status = attribute_name(name, &fullName); status != B_OK)
        return status;
    if (!fWritable)
        return B_NOT_ALLOWED;
    return ::fremovexattr(fFd, fullName.c_str()) == 0 ? B_OK : status_from_errno(errno);
}

status_t BNode::GetAttrInfo(const char* name, attr_info* info) const {
    if (fFd >= 0 && info == nullptr)
        return B_BAD_VALUE;
    std::vector<uint8> value;
    if (status_t status = ReadTypedValue(name, &value); status != B_OK)
        return status;
    info->type = decode_type(value);
    info->size = static_cast<off_t>(value.size() - kTypeSize);
    return B_OK;
}
