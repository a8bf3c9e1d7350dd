#pragma once

// An absolute path held as text. Setting a path makes it absolute (relative
// paths are taken from the current folder) and normalises it as it reads:
// repeated and trailing slashes go, "." goes, and ".." removes the name before
// it. The entry the path names need not exist. A path of B_PATH_NAME_LENGTH
// bytes or more is refused, so that Path() always fits the application's
// fixed buffers.
//
// Thread: a BPath is a plain value; any thread may use its own object.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>
#include <kit/storage/entry_ref.h>

#include <string>

class BPath {
public:
    BPath() = default;
    explicit BPath(const char* path, const char* leaf = nullptr);
    explicit BPath(const entry_ref* ref);

    status_t SetTo(const char* path, const char* leaf = nullptr);
    // Takes the path the reference was made from.
    status_t SetTo(const entry_ref* ref);
    void Unset();
    status_t InitCheck() const { return fStatus; }

    // The whole path, or nullptr when the object holds none.
    const char* Path() const;
    // The last name of the path; "" for the root; nullptr when unset.
    const char* Leaf() const;
    // The folder that holds the entry. The root has none: B_ENTRY_NOT_FOUND.
    status_t GetParent(BPath* parent) const;
    // Adds a relative path below this one.
    status_t Append(const char* path);

    bool operator==(const BPath& other) const;
    bool operator!=(const BPath& other) const { return !(*this == other); }

private:
    std::string fPath;
    status_t fStatus = B_NO_INIT;
};
