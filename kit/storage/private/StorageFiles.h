#pragma once

// Small file helpers that the storage kit's desktop code shares.
//
// Thread: any.

#include <kit/app/SupportDefs.h>

#include <string>

namespace kit_private {

// Creates the folder and every missing one above it (mode 0755).
// B_NOT_A_DIRECTORY when something else is in the way.
status_t make_folders(const std::string& path);

// The folder part of an absolute path.
std::string folder_of(const std::string& path);

// Reads a whole file; B_ENTRY_NOT_FOUND when it does not exist.
status_t read_text(const std::string& path, std::string* text);

// Removes a file; one that is not there already counts as removed.
status_t remove_file(const std::string& path);

// True when text holds a byte below 0x20 or DEL.
bool has_control_characters(const std::string& text);

} // namespace kit_private
