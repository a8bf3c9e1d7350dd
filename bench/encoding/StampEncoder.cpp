// Stands in front of the real encoder to time the program's gaps: writes the
// monotonic clock when it starts, runs oggenc with its own arguments, writes
// the clock again once oggenc has ended, and ends with oggenc's status. The
// stamps go to the file named by ENCODE_BENCH_STAMPS, one line per process:
// "start <ns>" or "end <ns>".

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

void Stamp(const char* what) {
    const char* file = std::getenv("ENCODE_BENCH_STAMPS");
    if (file == nullptr)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (FILE* out = std::fopen(file, "a")) {
        std::fprintf(out, "%s %lld\n", what, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(out);
    }
}

} // namespace

int main(int argc, char** argv) {
    Stamp("start");
    std::vector<char*> arguments{const_cast<char*>("oggenc")};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, "oggenc", nullptr, nullptr, arguments.data(), environ) != 0)
        return 127;
    int status = 0;
    waitpid(child, &status, 0);
    Stamp("end");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
