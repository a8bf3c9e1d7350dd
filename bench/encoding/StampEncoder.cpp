// Stands in front of the real encoder to time the program's gaps: writes the
// monotonic clock when it starts, runs oggenc with its own arguments, writes
// the clock again once oggenc has ended, and ends with oggenc's status. The
// stamps go to the file named by ENCODE_BENCH_STAMPS, one line per process:
// "start <ns>" or "end <ns>"; and "encoder <wall ns> <cpu ns>", oggenc's own
// wall time and the processor time it used, which tell an encoder that waited
// for a processor from one that worked more slowly on it.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

long long Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void Write(const char* line) {
    const char* file = std::getenv("ENCODE_BENCH_STAMPS");
    if (file == nullptr)
        return;
    if (FILE* out = std::fopen(file, "a")) {
        std::fputs(line, out);
        std::fclose(out);
    }
}

void Stamp(const char* what) {
    char line[64];
    std::snprintf(line, sizeof line, "%s %lld\n", what, Now());
    Write(line);
}

} // namespace

int main(int argc, char** argv) {
    Stamp("start");
    std::vector<char*> arguments{const_cast<char*>("oggenc")};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    pid_t child = -1;
    const long long started = Now();
    if (posix_spawnp(&child, "oggenc", nullptr, nullptr, arguments.data(), environ) != 0)
        return 127;
    int status = 0;
    rusage used{};
    wait4(child, &status, 0, &used);
    const long long wall = Now() - started;
    const auto ns = [](const timeval& t) { return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL; };
    char line[96];
    std::snprintf(line, sizeof line, "encoder %lld %lld\n", wall,
                  ns(used.ru_utime) + ns(used.ru_stime));
    Write(line);
    Stamp("end");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
