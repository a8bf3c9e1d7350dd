#pragma once

// Message codes that the kit itself sends or understands.

#include <kit/app/SupportDefs.h>

constexpr uint32 B_QUIT_REQUESTED = four_cc("_QRQ");
constexpr uint32 B_ABOUT_REQUESTED = four_cc("_ABR");
constexpr uint32 B_READY_TO_RUN = four_cc("_RTR");
constexpr uint32 B_REFS_RECEIVED = four_cc("_RFS");
constexpr uint32 B_SIMPLE_DATA = four_cc("DATA");
constexpr uint32 B_SOME_APP_QUIT = four_cc("BRAQ");
// What a child started with a target for its standard error wrote there: the
// int32 "be:team" (its process id), the int64 "kit:launch" (its launch number,
// as its quit notice carries it) and the string "kit:text" (the bytes as they
// came, which may end inside a line and may hold '\r'). At most one such
// message per child waits in a queue at a time: what the child writes
// meanwhile is appended to it. The child's quit notice comes after the last.
constexpr uint32 B_CHILD_OUTPUT = four_cc("_CHO");
// Sent by a save panel that was given no message of its own.
constexpr uint32 B_SAVE_REQUESTED = four_cc("_SVR");

// Event masks for BRoster::StartWatching.
constexpr uint32 B_REQUEST_LAUNCHED = 0x1;
constexpr uint32 B_REQUEST_QUIT = 0x2;
