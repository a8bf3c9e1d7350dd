#pragma once

// Writing a whole file so that nobody ever sees a part of it.
//
// write_file_atomically writes the contents to a temporary file in the same
// folder as the file, syncs it to the disk and renames it over the file, so
// that a reader (or the file after a crash) holds either the old or the new
// contents. On failure the temporary is removed and the file is as it was.
//
// - A symbolic link (dotfiles kept elsewhere) is followed to its final target,
//   and the target is replaced in its own folder: the link stays a link.
// - A file that exists keeps its permission bits and its owner and group;
//   when the owner cannot be kept, nothing is written and B_NOT_ALLOWED
//   returned. A new file gets newFileMode.
// - The folder must exist.
// - finish, when given, is called with the temporary file's path once the
//   contents are written and before they are synced and renamed, to give the
//   file what is not its contents (attributes); a failure it reports fails
//   the write.
//
// Thread: any. Two writers of the same file at once each leave a whole file;
// the last rename wins.

#include <kit/app/SupportDefs.h>

#include <functional>
#include <string>
#include <sys/types.h>

using finish_temporary = std::function<status_t(const std::string& temporaryPath)>;

status_t write_file_atomically(const std::string& path, const void* data, size_t size,
                               mode_t newFileMode = 0644, const finish_temporary& finish = nullptr);

inline status_t write_file_atomically(const std::string& path, const std::string& contents,
                                      mode_t newFileMode = 0644,
                                      const finish_temporary& finish = nullptr) {
    return write_file_atomically(path, contents.data(), contents.size(), newFileMode, finish);
}
