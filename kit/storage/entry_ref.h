#pragma once

// A reference to a file-system entry (a file, folder or link) that need not
// exist yet: the device and inode of the folder that holds it plus its leaf
// name. The absolute path the reference was made from travels along, so that
// it can be turned back into a path without searching for the folder.

#include <kit/app/SupportDefs.h>

#include <string>
#include <sys/types.h>

struct entry_ref {
    entry_ref() = default;
    entry_ref(dev_t dev, ino_t dir, const char* leaf, const char* fullPath = "");

    // Replaces the leaf name; the path follows it.
    status_t set_name(const char* leaf);

    // True when the reference names an entry at all (a default-made one does not).
    bool IsSet() const { return !name.empty(); }

    // Two references are equal when device, folder and name are equal; the
    // path they were made from does not take part.
    bool operator==(const entry_ref& other) const;
    bool operator!=(const entry_ref& other) const { return !(*this == other); }

    dev_t device = static_cast<dev_t>(-1);
    ino_t directory = static_cast<ino_t>(-1);
    std::string name;
    std::string path;
};

// Makes a reference from a path, relative paths taken from the current folder.
// Links in the folders leading to the leaf are followed; the leaf itself is not.
// The folder must exist; the leaf need not. Thread: any.
status_t get_ref_for_path(const char* path, entry_ref* ref);

namespace kit_private {

// The path made absolute against the current folder, as written otherwise
// (no "." or ".." resolved). Thread: any.
status_t make_absolute(const char* path, std::string* absolute);

} // namespace kit_private
