#pragma once

// Limits, open modes and small types shared by the storage classes.

#include <kit/app/SupportDefs.h>

#include <fcntl.h>
#include <sys/types.h>

// A path with its terminating NUL fits in B_PATH_NAME_LENGTH bytes; the
// application formats paths into buffers of that size, so the kit never hands
// out a longer one.
constexpr size_t B_PATH_NAME_LENGTH = 1024;
constexpr size_t B_FILE_NAME_LENGTH = 256;
constexpr size_t B_ATTR_NAME_LENGTH = 256;
constexpr size_t B_MIME_TYPE_LENGTH = 256;

// Open modes of BFile. The access part is one of the first three; the others
// are flags added to it.
constexpr uint32 B_READ_ONLY = O_RDONLY;
constexpr uint32 B_WRITE_ONLY = O_WRONLY;
constexpr uint32 B_READ_WRITE = O_RDWR;
constexpr uint32 B_FAIL_IF_EXISTS = O_EXCL;
constexpr uint32 B_CREATE_FILE = O_CREAT;
constexpr uint32 B_ERASE_FILE = O_TRUNC;
constexpr uint32 B_OPEN_AT_END = O_APPEND;

// The type and size of one attribute's data (without its type code).
struct attr_info {
    type_code type = 0;
    off_t size = 0;
};

// The sizes of the icons that file types and applications carry.
enum icon_size {
    B_MINI_ICON = 16,
    B_LARGE_ICON = 32,
};

// What an application is preferred for.
enum app_verb {
    B_OPEN = 0,
};

// The kinds of entries a file panel offers for choosing. Folders are always
// entered, never chosen; with B_SYMLINK_NODE a chosen link is handed on as
// the link itself, without it as the entry the link points to.
constexpr uint32 B_FILE_NODE = 0x01;
constexpr uint32 B_SYMLINK_NODE = 0x02;
constexpr uint32 B_DIRECTORY_NODE = 0x04;
