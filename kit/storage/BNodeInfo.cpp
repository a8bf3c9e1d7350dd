#include <kit/storage/BNodeInfo.h>

#include <kit/storage/BNode.h>

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr const char* kTypeAttribute = "user.mime_type";

// The name the node's file has now, as the kernel knows it.
QString CurrentName(const char* link) {
    std::string target(4096, '\0');
    ssize_t length = ::readlink(link, target.data(), target.size());
    if (length <= 0)
        return QString();
    target.resize(static_cast<size_t>(length));
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(target))).fileName();
}

// The desktop's own answer for a file that carries no type: the
// shared-mime-info database, by the file's name and then by its content, as
// the file managers decide. The content is read through a descriptor of its
// own, so that the node's read position stays where it was; only regular
// files are read, so that a pipe or a device never blocks the caller.
status_t TypeFromDatabase(int fd, char* type) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return status_from_errno(errno);
    QMimeDatabase database;
    QMimeType mime;
    if (S_ISDIR(info.st_mode)) {
        mime = database.mimeTypeForName(QStringLiteral("inode/directory"));
    } else {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const QString name = CurrentName(link);
        if (S_ISREG(info.st_mode)) {
            QFile content(QString::fromLatin1(link));
            mime = database.mimeTypeForFileNameAndData(name, &content);
        } else {
            mime = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        }
    }
    // The database's catch-all type says only that it does not know.
    if (!mime.isValid() || mime.isDefault())
        return B_ENTRY_NOT_FOUND;
    const QByteArray name = mime.name().toUtf8();
    if (!kit_private::is_valid_mime_type(name.constData()))
        return B_BAD_TYPE;
    std::memcpy(type, name.constData(), static_cast<size_t>(name.size()) + 1);
    return B_OK;
}

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
    // No type attribute, or a file system that keeps none (a stick formatted
    // for other systems): the desktop's database answers.
    if (length < 0 && (errno == ENODATA || errno == ENOTSUP))
        return TypeFromDatabase(fNode->fFd, type);
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
