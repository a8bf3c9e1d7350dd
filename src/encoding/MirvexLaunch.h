#pragma once

// Starts the encoder for one file.

#include <kit/app/BMessenger.h>
#include <kit/kernel/OS.h>
#include <kit/storage/entry_ref.h>

// Starts the executable ref names as a process of its own with these
// arguments: the options before the file split by the quoting rule of
// LaunchArguments, then the file as exactly one argument, byte for byte
// (preceded by "--" when it begins with "-", so that the encoder never takes
// it for an option), then the options after the file split the same way.
// file may be null: then the options alone are passed. The new process id is
// stored in team, and the launch number its quit notice will carry in launch
// (if given). With errorTarget, the encoder's standard error goes to it as
// the roster sends it, and its last lines come with its quit notice. The
// result is the launch's own status, B_OK when the process was started;
// arguments beyond the storage's bounds are refused with B_BAD_VALUE and
// start nothing. Thread: any.
status_t MirvexLaunch(const entry_ref* ref, const char* optionsBefore, const char* file,
                      const char* optionsAfter, team_id* team, int64* launch = nullptr,
                      const BMessenger* errorTarget = nullptr);
