#pragma once

// A file written in place of another so that the name shows either the old
// contents or the new ones, never a part: the new contents go to a temporary
// file in the same folder, which is flushed to the disk and then renamed over
// the old file. Until Commit succeeds the old file stays untouched, and a
// failure or an abandoned write removes the temporary file. A link at the
// name is followed: its target is replaced and the link kept.
//
// Thread: a file belongs to the thread that made it; it holds no lock.

#include "storage/BFile.h"

#include <string>

class AtomicFile : public BFile {
public:
    AtomicFile() = default;
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile() override;

    // Opens a temporary file for writing in place of path. Fails when the
    // file could not be written in place: B_PERMISSION_DENIED for a file or
    // folder that nobody may write (see BNode), B_IS_A_DIRECTORY, B_BAD_VALUE
    // for something that is not a regular file, or the reason the folder or
    // the temporary file could not be reached.
    status_t SetTo(const char* path);
    // Flushes the written data to the disk and puts the file in the old one's
    // place, with the old one's permissions. The file is closed afterwards.
    status_t Commit();

    // The file that Commit replaces, links followed.
    const std::string& TargetPath() const { return fTarget; }

private:
    void Abandon();

    std::string fTarget;
    std::string fTemporary;
    mode_t fMode = 0;
    bool fKeepMode = false;
};
