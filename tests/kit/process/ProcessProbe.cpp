// A child for the launch tests: writes what it was started with, so that the
// test can compare it. Every file goes to the path in MF_PROBE_OUT plus a
// suffix:
//   .args   the argument vector, argv[0] included, each followed by a NUL
//   .fds    the open descriptor numbers, one per line
//   .stdin  where standard input leads
//   .status the signal lines of /proc/self/status (blocked and ignored)
// Built without sanitizers, whose runtimes would open descriptors of their own.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

bool write_file(const std::string& path, const std::string& contents) {
    FILE* file = std::fopen(path.c_str(), "we");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    const char* out = std::getenv("MF_PROBE_OUT");
    if (out == nullptr)
        return 2;

    // Descriptors first, before this program opens any file of its own.
    std::string fds;
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr)
        return 3;
    int own = ::dirfd(folder);
    while (dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own)
            continue;
        fds += entry->d_name;
        fds += '\n';
    }
    ::closedir(folder);

    std::string args;
    for (int i = 0; i < argc; ++i) {
        args += argv[i];
        args += '\0';
    }

    char input[256] = {};
    ssize_t length = ::readlink("/proc/self/fd/0", input, sizeof input - 1);
    std::string stdinTarget = length > 0 ? std::string(input, static_cast<size_t>(length)) : "";

    std::string status;
    if (FILE* file = std::fopen("/proc/self/status", "re")) {
        char line[512];
        while (std::fgets(line, sizeof line, file) != nullptr)
            if (std::strncmp(line, "SigBlk:", 7) == 0 || std::strncmp(line, "SigIgn:", 7) == 0)
                status += line;
        std::fclose(file);
    }

    std::string base(out);
    bool ok = write_file(base + ".fds", fds) && write_file(base + ".args", args) &&
              write_file(base + ".stdin", stdinTarget) && write_file(base + ".status", status);
    return ok ? 0 : 4;
}
