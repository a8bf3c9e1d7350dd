#pragma once

// The program's command line, split into Qt's own options and the files the
// user handed over. Qt reads a few options of its own on every program
// ("-style Fusion", "-stylesheet dark.qss", "-platform xcb", ...); those and
// their values are Qt's, never files. Everything else is a file, in order.
// "--" ends the options: every word after it is a file, so that a file named
// like an option can still be handed over.
//
// Thread: any.

#include <string>
#include <vector>

namespace kit_private {

struct CommandLine {
    // Qt's options with their values, as given.
    std::vector<std::string> displayOptions;
    std::vector<std::string> files;
};

// The arguments without the program's name.
CommandLine split_command_line(const std::vector<std::string>& arguments);

} // namespace kit_private
