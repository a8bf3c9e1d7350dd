#pragma once

// Puts a stand-in "xdg-open" first on the PATH that writes its arguments to
// a file, so that nothing real is opened and the test can see what would be.

#include "support/TempDir.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

class FakeOpener {
public:
    FakeOpener() : fOldPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
        std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + dir.File("opened") + "'\n";
        std::string path = dir.Write("xdg-open", script);
        ::chmod(path.c_str(), 0755);
        ::setenv("PATH", (dir.Path() + ":" + fOldPath).c_str(), 1);
    }
    ~FakeOpener() { ::setenv("PATH", fOldPath.c_str(), 1); }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // Every argument the opener was started with so far, one a line.
    std::string Opened() const { return ReadFileText(dir.File("opened")); }

    TempDir dir;

private:
    std::string fOldPath;
};
