#include <kit/storage/BEntry.h>

#include <kit/storage/BPath.h>
#include <kit/storage/StorageDefs.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel gives up after 40 links in a path; a chain at the leaf gets the
// same allowance.
constexpr int kMaxLinks = 40;

// Follows the links at the leaf of ref until it names something that is not
// a link or nothing at all.
status_t follow_links(entry_ref* ref) {
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(ref->path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return B_OK;
        char target[PATH_MAX];
        ssize_t length = ::readlink(ref->path.c_str(), target, sizeof target - 1);
        if (length < 0)
            return status_from_errno(errno);
        target[length] = '\0';
        std::string next(target, static_cast<size_t>(length));
        if (next.empty())
            return B_ENTRY_NOT_FOUND;
        if (next.front() != '/')
            next = ref->path.substr(0, ref->path.rfind('/') + 1) + next;
        entry_ref followed;
        if (status_t status = get_ref_for_path(next.c_str(), &followed); status != B_OK)
            return status;
        *ref = std::move(followed);
    }
    return B_LINK_LIMIT;
}

bool stat_entry(const entry_ref& ref, struct stat* info) {
    return !ref.path.empty() && ::lstat(ref.path.c_str(), info) == 0;
}

} // namespace

BEntry::BEntry(const char* path, bool traverse) {
    SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse) {
    SetTo(ref, traverse);
}

status_t BEntry::SetTo(const char* path, bool traverse) {
    Unset();
    if (path == nullptr || *path == '\0')
        return fStatus = B_BAD_VALUE;
    entry_ref ref;
    if (status_t status = get_ref_for_path(path, &ref); status != B_OK)
        return fStatus = status;
    return Take(std::move(ref), traverse);
}

status_t BEntry::Take(entry_ref ref, bool traverse) {
    if (ref.path.size() >= B_PATH_NAME_LENGTH)
        return fStatus = B_NAME_TOO_LONG;
    if (traverse) {
        if (status_t status = follow_links(&ref); status != B_OK)
            return fStatus = status;
        if (ref.path.size() >= B_PATH_NAME_LENGTH)
            return fStatus = B_NAME_TOO_LONG;
    }
    fRef = std::move(ref);
    return fStatus = B_OK;
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse) {
    Unset();
    if (ref == nullptr || !ref->IsSet() || ref->path.empty())
        return fStatus = B_BAD_VALUE;
    // A reference names its folder already: the path it carries was made
    // from the resolved folder, so only a path that is not absolute needs
    // resolving again. Walking every folder of the path once more per
    // reference would make a drop of many files wait on the file system.
    if (ref->path.front() != '/')
        return SetTo(ref->path.c_str(), traverse);
    return Take(*ref, traverse);
}

void BEntry::Unset() {
    fRef = entry_ref();
    fStatus = B_NO_INIT;
}

bool BEntry::Exists() const {
    struct stat info {};
    return fStatus == B_OK && stat_entry(fRef, &info);
}

bool BEntry::IsFile() const {
    struct stat info {};
    return fStatus == B_OK && stat_entry(fRef, &info) && S_ISREG(info.st_mode);
}

bool BEntry::IsDirectory() const {
    struct stat info {};
    return fStatus == B_OK && stat_entry(fRef, &info) && S_ISDIR(info.st_mode);
}

bool BEntry::IsSymLink() const {
    struct stat info {};
    return fStatus == B_OK && stat_entry(fRef, &info) && S_ISLNK(info.st_mode);
}

status_t BEntry::GetRef(entry_ref* ref) const {
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    *ref = fRef;
    return B_OK;
}

status_t BEntry::GetPath(BPath* path) const {
    if (path == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    return path->SetTo(&fRef);
}

status_t BEntry::GetParent(BEntry* parent) const {
    if (parent == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    if (fRef.path == "/")
        return B_ENTRY_NOT_FOUND;
    size_t slash = fRef.path.rfind('/');
    return parent->SetTo(slash == 0 ? "/" : fRef.path.substr(0, slash).c_str());
}

status_t BEntry::GetName(char* buffer) const {
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    if (fRef.name.size() >= B_FILE_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    std::memcpy(buffer, fRef.name.c_str(), fRef.name.size() + 1);
    return B_OK;
}

status_t BEntry::Remove() {
    if (fStatus != B_OK)
        return fStatus;
    struct stat info {};
    if (!stat_entry(fRef, &info))
        return status_from_errno(errno);
    int result = S_ISDIR(info.st_mode) ? ::rmdir(fRef.path.c_str()) : ::unlink(fRef.path.c_str());
    return result == 0 ? B_OK : status_from_errno(errno);
}

bool BEntry::operator==(const BEntry& other) const {
    if (fStatus != B_OK || other.fStatus != B_OK)
        return fStatus == other.fStatus;
    return fRef == other.fRef;
}
