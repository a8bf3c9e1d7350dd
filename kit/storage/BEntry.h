#pragma once

// A named place in the file system: a folder that exists plus a leaf name
// that may or may not be present in it. An entry made with traverse = true
// follows the whole chain of links at its leaf and names the final target; a
// broken link so followed names a target that does not exist. The folder
// must exist when the entry is set, or InitCheck() reports why not.
//
// Thread: an entry is a plain value; any thread may use its own object.

#include <kit/app/SupportDefs.h>
#include <kit/storage/entry_ref.h>

class BPath;

class BEntry {
public:
    BEntry() = default;
    explicit BEntry(const char* path, bool traverse = false);
    explicit BEntry(const entry_ref* ref, bool traverse = false);

    status_t SetTo(const char* path, bool traverse = false);
    status_t SetTo(const entry_ref* ref, bool traverse = false);
    void Unset();
    status_t InitCheck() const { return fStatus; }

    // Whether something (a file, folder or link, even a broken one) is
    // present under the entry's name right now.
    bool Exists() const;
    bool IsFile() const;
    bool IsDirectory() const;
    bool IsSymLink() const;

    [[nodiscard]] status_t GetRef(entry_ref* ref) const;
    [[nodiscard]] status_t GetPath(BPath* path) const;
    // The folder that holds the entry; the root has none (B_ENTRY_NOT_FOUND).
    [[nodiscard]] status_t GetParent(BEntry* parent) const;
    // Copies the leaf name into a buffer of B_FILE_NAME_LENGTH bytes.
    [[nodiscard]] status_t GetName(char* buffer) const;
    // Removes the entry: a file or link is unlinked (a link's target stays),
    // an empty folder is removed. The object then names a missing entry.
    status_t Remove();

    bool operator==(const BEntry& other) const;
    bool operator!=(const BEntry& other) const { return !(*this == other); }

private:
    // Keeps a resolved reference, following the links at its leaf first
    // when asked to.
    status_t Take(entry_ref ref, bool traverse);

    entry_ref fRef;
    status_t fStatus = B_NO_INIT;
};
