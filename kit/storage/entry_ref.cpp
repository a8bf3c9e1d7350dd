#include <kit/storage/entry_ref.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

entry_ref::entry_ref(dev_t dev, ino_t dir, const char* leaf, const char* fullPath)
    : device(dev), directory(dir), name(leaf ? leaf : ""), path(fullPath ? fullPath : "") {}

status_t entry_ref::set_name(const char* leaf) {
    if (leaf == nullptr || *leaf == '\0' || std::string_view(leaf).find('/') != std::string::npos)
        return B_BAD_VALUE;
    if (!path.empty())
        path = path.substr(0, path.rfind('/') + 1) + leaf;
    name = leaf;
    return B_OK;
}

bool entry_ref::operator==(const entry_ref& other) const {
    return device == other.device && directory == other.directory && name == other.name;
}

namespace {

// Resolves a folder to its canonical absolute path and node.
status_t resolve_folder(const std::string& folder, std::string* canonical, struct stat* info) {
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr)
        return status_from_errno(errno);
    *canonical = resolved;
    std::free(resolved);
    if (::stat(canonical->c_str(), info) != 0)
        return status_from_errno(errno);
    if (!S_ISDIR(info->st_mode))
        return B_NOT_A_DIRECTORY;
    return B_OK;
}

} // namespace

namespace kit_private {

status_t make_absolute(const char* path, std::string* absolute) {
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    if (*path == '/') {
        *absolute = path;
        return B_OK;
    }
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr)
        return status_from_errno(errno);
    *absolute = std::string(cwd) + "/" + path;
    return B_OK;
}

} // namespace kit_private

status_t get_ref_for_path(const char* path, entry_ref* ref) {
    if (path == nullptr || *path == '\0' || ref == nullptr)
        return B_BAD_VALUE;

    std::string full;
    if (status_t status = kit_private::make_absolute(path, &full); status != B_OK)
        return status;
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();

    std::string folder;
    std::string leaf;
    auto slash = full.rfind('/');
    folder = slash == 0 ? "/" : full.substr(0, slash);
    leaf = full.substr(slash + 1);

    // A leaf of "." or "..", or the root itself, names a folder: resolve the
    // whole path and reference that folder from its own parent.
    if (leaf.empty() || leaf == "." || leaf == "..") {
        std::string canonical;
        struct stat info {};
        if (status_t status = resolve_folder(full, &canonical, &info); status != B_OK)
            return status;
        if (canonical == "/") {
            *ref = entry_ref(info.st_dev, info.st_ino, ".", "/");
            return B_OK;
        }
        return get_ref_for_path(canonical.c_str(), ref);
    }

    std::string canonicalFolder;
    struct stat info {};
    if (status_t status = resolve_folder(folder, &canonicalFolder, &info); status != B_OK)
        return status;
    std::string absolute = canonicalFolder == "/" ? "/" + leaf : canonicalFolder + "/" + leaf;
    if (absolute.size() >= PATH_MAX)
        return B_NAME_TOO_LONG;
    *ref = entry_ref(info.st_dev, info.st_ino, leaf.c_str(), absolute.c_str());
    return B_OK;
}
