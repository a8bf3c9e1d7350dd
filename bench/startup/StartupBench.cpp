// Starts the minimal Qt program and the program's start-up probe in turn,
// each from a copy in a fresh folder with its own desktop folders, measures
// the time from the start of the process to its first painted window and the
// peak resident memory, and prints the medians side by side.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double milliseconds;
    long peakKilobytes;
};

bool RunOnce(const std::string& program, Sample* sample, const char* argument = nullptr) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }
    std::string output;
    char buffer[64];
    bool shown = false;
    while (!shown) {
        ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        output.append(buffer, static_cast<size_t>(got));
        shown = output.find("shown\n") != std::string::npos;
    }
    auto end = std::chrono::steady_clock::now();
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    sample->milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    sample->peakKilobytes = usage.ru_maxrss;
    bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!shown || !clean)
        std::fprintf(stderr, "%s: %s, status %d\n", program.c_str(),
                     shown ? "shown" : "never shown", status);
    return shown && clean;
}

// The instructions a program executes from its start to its end (it quits
// right after its first paint), counted by callgrind: unlike time, the count
// is the same from run to run whatever else the machine is doing. 0 when
// valgrind is not at hand.
long long Instructions(const std::string& program, const char* argument,
                       const std::string& folder) {
    const std::string out = folder + "/callgrind.out";
    std::string outOption = "--callgrind-out-file=" + out;
    char valgrind[] = "valgrind";
    char tool[] = "--tool=callgrind";
    char* argv[] = {valgrind,
                    tool,
                    outOption.data(),
                    const_cast<char*>(program.c_str()),
                    const_cast<char*>(argument),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, "valgrind", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return 0;
    int status = 0;
    ::waitpid(child, &status, 0);
    std::ifstream in(out);
    std::string line;
    long long total = 0;
    while (std::getline(in, line))
        if (line.rfind("summary: ", 0) == 0 || line.rfind("totals: ", 0) == 0)
            total = std::atoll(line.c_str() + line.find(' ') + 1);
    std::remove(out.c_str());
    return total;
}

template <class T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    std::string pattern = (fs::temp_directory_path() / "mfbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    fs::path home = pattern;
    for (const char* folder : {"data", "config", "run"})
        fs::create_directory(home / folder);
    fs::permissions(home / "run", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The probe keeps its options on its own file: run a copy.
    const std::string minimal = MINIMAL_WINDOW;
    const std::string plain = PLAIN_MAIN_WINDOW;
    const std::string probe = (home / "app_startup_probe").string();
    fs::copy_file(APP_PROBE, probe);

    // The first start of the program installs the list file type; the runs
    // measured are ordinary starts. One warm-up each also fills the caches.
    Sample warm{};
    if (!RunOnce(probe, &warm) || !RunOnce(minimal, &warm)) {
        std::fprintf(stderr, "a program did not show its window\n");
        return 1;
    }

    struct Contender {
        const char* name;
        std::string program;
        const char* argument;
        std::vector<double> times;
        std::vector<long> peaks;
        long long instructions = 0;
    };
    std::vector<Contender> contenders = {
        {"minimal Qt Widgets window", minimal, nullptr, {}, {}},
        {"  the same with one button", minimal, "text", {}, {}},
        {"plain Qt main window", plain, nullptr, {}, {}},
        {"Mirvex OggVorbis Frontend", probe, nullptr, {}, {}},
    };
    for (int i = 0; i < runs; ++i) {
        // Take turns, so that the machine's state weighs on all alike.
        for (Contender& contender : contenders) {
            Sample sample{};
            if (!RunOnce(contender.program, &sample, contender.argument))
                return 1;
            contender.times.push_back(sample.milliseconds);
            contender.peaks.push_back(sample.peakKilobytes);
        }
    }

    for (Contender& contender : contenders)
        contender.instructions = Instructions(contender.program, contender.argument, home.string());

    std::printf("runs: %d each, platform %s\n", runs, std::getenv("QT_QPA_PLATFORM"));
    std::printf("%-28s %14s %18s %16s\n", "", "start (median)", "peak RSS (median)",
                "instructions");
    for (const Contender& contender : contenders)
        std::printf("%-28s %11.1f ms %14ld KiB %16lld\n", contender.name, Median(contender.times),
                    Median(contender.peaks), contender.instructions);
    const Contender& baseline = contenders.front();
    const Contender& program = contenders.back();
    std::printf("ratio to the minimal window: time %.2f, memory %.2f\n",
                Median(program.times) / Median(baseline.times),
                double(Median(program.peaks)) / double(Median(baseline.peaks)));
    std::printf("ratio to the window with a button: time %.2f, memory %.2f\n",
                Median(program.times) / Median(contenders[1].times),
                double(Median(program.peaks)) / double(Median(contenders[1].peaks)));
    const Contender& same = contenders[2];
    std::printf("ratio to the plain Qt main window: time %.2f, memory %.2f, instructions %.3f\n",
                Median(program.times) / Median(same.times),
                double(Median(program.peaks)) / double(Median(same.peaks)),
                same.instructions > 0 ? double(program.instructions) / double(same.instructions)
                                      : 0.0);
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return 0;
}
