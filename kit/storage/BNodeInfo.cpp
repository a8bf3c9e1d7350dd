#include <kit/storage/BNodeInfo.h>

#include <kit/storage/BNode.h>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace {

constexpr const char* kTypeAttribute = "user.mime_type";

} // namespace

namespace kit_private {

bool is_valid_mime_type(const char* type) {
    if (type == nullptr)
        return false;
    size_t length = std::strlen(type);
    if (length == 0 || length >= B_MIME_TYPE_LENGTH)
        return false;
    const char* slash = std::strchr(type, '/');
    if (slash == nullptr || slash == type || slash[1] == '\0' || std::strchr(slash + 1, '/'))
        return false;
    for (const char* c = type; *c != '\0'; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (byte <= ' ' || byte >= 0x7f || std::strchr("()<>@,;:\\\"[]?=", byte) != nullptr)
            return false;
    }
    return true;
}

} // namespace kit_private

BNodeInfo::BNodeInfo(BNode* node) {
    SetTo(node);
}

status_t BNodeInfo::SetTo(BNode* node) {
    fNode = nullptr;
    if (node == nullptr)
        return fStatus = B_BAD_VALUE;
    if (node->InitCheck() != B_OK)
        return fStatus = node->InitCheck();
    fNode = node;
    return fStatus = B_OK;
}

status_t BNodeInfo::SetType(const char* type) {
    if (fStatus != B_OK || fNode->fFd < 0)
        return B_NO_INIT;
    if (!fNode->fWritable)
        return B_NOT_ALLOWED;
    if (type == nullptr || *type == '\0') {
        if (::fremovexattr(fNode->fFd, kTypeAttribute) == 0 || errno == ENODATA)
            return B_OK;
        return status_from_errno(errno);
    }
    if (!kit_private::is_valid_mime_type(type))
        return B_BAD_VALUE;
    if (::fsetxattr(fNode->fFd, kTypeAttribute, type, std::strlen(type), 0) != 0)
        return status_from_errno(errno);
    return B_OK;
}

status_t BNodeInfo::GetType(char* type) const {
    if (type == nullptr)
        return B_BAD_VALUE;
    type[0] = '\0';
    if (fStatus != B_OK || fNode->fFd < 0)
        return B_NO_INIT;
    // One byte more than a type may have, so that a longer value is noticed
    // instead of cut short.
    char value[B_MIME_TYPE_LENGTH];
    ssize_t length = ::fgetxattr(fNode->fFd, kTypeAttribute, value, sizeof value);
    if (length < 0)
        return errno == ERANGE ? B_BAD_TYPE : status_from_errno(errno);
    size_t size = static_cast<size_t>(length);
    // Some writers store the terminating NUL; it is not part of the type.
    if (size > 0 && value[size - 1] == '\0')
        --size;
    if (size == 0 || size >= B_MIME_TYPE_LENGTH || std::memchr(value, '\0', size) != nullptr)
        return B_BAD_TYPE;
    std::memcpy(type, value, size);
    type[size] = '\0';
    return B_OK;
}
