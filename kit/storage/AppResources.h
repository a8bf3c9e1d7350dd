#pragma once

// The resources compiled into the program: its large (32 by 32) and mini
// (16 by 16) icon as B_CMAP8 pixels, one byte a pixel, rows of exactly the
// icon's width. The application registers them once at start-up, before
// anything reads them; BAppFileInfo hands them out for the running executable.
//
// Thread: any; the registry has a lock of its own.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>

#include <vector>

// Copies the pixels. length must be size * size bytes; B_BAD_VALUE otherwise.
// A later registration replaces an earlier one.
status_t register_app_icon(icon_size size, const uint8* bits, size_t length);
// A copy of the registered pixels, or B_ENTRY_NOT_FOUND when there are none.
[[nodiscard]] status_t registered_app_icon(icon_size size, std::vector<uint8>* bits);
// Forgets both icons (for tests of a program without icons).
void clear_app_icons();
