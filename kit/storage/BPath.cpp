#include <kit/storage/BPath.h>

#include <cerrno>
#include <climits>
#include <unistd.h>
#include <vector>

namespace {

// Makes a path absolute and removes ".", ".." and empty names, as the text
// reads: ".." at the root stays at the root, like the kernel does.
status_t normalise(const char* path, std::string* result) {
    std::string full;
    if (status_t status = kit_private::make_absolute(path, &full); status != B_OK)
        return status;

    std::vector<std::string> names;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        std::string name = full.substr(start, end - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        start = end + 1;
    }

    std::string joined;
    for (const std::string& name : names) {
        joined += '/';
        joined += name;
    }
    if (joined.empty())
        joined.push_back('/'); // the root
    if (joined.size() >= B_PATH_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    *result = std::move(joined);
    return B_OK;
}

} // namespace

BPath::BPath(const char* path, const char* leaf) {
    SetTo(path, leaf);
}

BPath::BPath(const entry_ref* ref) {
    SetTo(ref);
}

status_t BPath::SetTo(const char* path, const char* leaf) {
    Unset();
    if (path == nullptr || *path == '\0')
        return fStatus = B_BAD_VALUE;
    if (leaf != nullptr && *leaf == '/')
        return fStatus = B_BAD_VALUE;
    std::string whole(path);
    if (leaf != nullptr && *leaf != '\0') {
        whole += '/';
        whole += leaf;
    }
    std::string normalised;
    if (status_t status = normalise(whole.c_str(), &normalised); status != B_OK)
        return fStatus = status;
    fPath = std::move(normalised);
    return fStatus = B_OK;
}

status_t BPath::SetTo(const entry_ref* ref) {
    Unset();
    if (ref == nullptr || !ref->IsSet() || ref->path.empty() || ref->path.front() != '/')
        return fStatus = B_BAD_VALUE;
    return SetTo(ref->path.c_str());
}

void BPath::Unset() {
    fPath.clear();
    fStatus = B_NO_INIT;
}

const char* BPath::Path() const {
    return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const {
    if (fStatus != B_OK)
        return nullptr;
    return fPath.c_str() + fPath.rfind('/') + 1;
}

status_t BPath::GetParent(BPath* parent) const {
    if (parent == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fPath == "/")
        return B_ENTRY_NOT_FOUND;
    size_t slash = fPath.rfind('/');
    return parent->SetTo(slash == 0 ? "/" : fPath.substr(0, slash).c_str());
}

status_t BPath::Append(const char* path) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (path == nullptr || *path == '/')
        return B_BAD_VALUE;
    if (*path == '\0')
        return B_OK;
    std::string joined = fPath + "/" + path;
    std::string normalised;
    if (status_t status = normalise(joined.c_str(), &normalised); status != B_OK)
        return status;
    fPath = std::move(normalised);
    return B_OK;
}

bool BPath::operator==(const BPath& other) const {
    return fStatus == other.fStatus && fPath == other.fPath;
}
