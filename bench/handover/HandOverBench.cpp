// Times a second start of the real program, from its start to its exit,
// while a first instance runs on the offscreen display in fresh desktop
// folders: a start with one file, the same with ten idle connections held
// open to the running instance, and a start with 100,000 files.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

pid_t Start(const std::vector<std::string>& argv) {
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, PROGRAM, nullptr, nullptr, arguments.data(), environ) != 0)
        return -1;
    return pid;
}

// Seconds from the start of a second instance to its exit.
double TimeSecondStart(const std::vector<std::string>& argv) {
    auto begin = Clock::now();
    pid_t pid = Start(argv);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the second start failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

std::string FindSocket(const std::string& folder) {
    for (int i = 0; i < 3000; ++i) {
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.size() > 7 && name.ends_with(".socket")) {
                    closedir(dir);
                    return folder + "/" + name;
                }
            }
            closedir(dir);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

int ConnectIdle(const std::string& socketPath) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.3f s   max %7.3f s   (%zu runs)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char pattern[] = "/tmp/handover-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    std::string root = pattern;
    for (const char* folder : {"/runtime", "/data", "/config", "/files"})
        mkdir((root + folder).c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (chdir((root + "/files").c_str()) != 0)
        return 1;

    pid_t first = Start({PROGRAM});
    std::string socketPath = FindSocket(root + "/runtime");
    if (first < 0 || socketPath.empty()) {
        std::fprintf(stderr, "the first instance did not start listening\n");
        return 1;
    }

    std::vector<double> plain;
    for (int i = 0; i < runs; ++i)
        plain.push_back(TimeSecondStart({PROGRAM, "one.wav"}));
    Report("second start, one file", plain);

    std::vector<int> idle;
    for (int i = 0; i < 10; ++i)
        idle.push_back(ConnectIdle(socketPath));
    std::vector<double> withIdle;
    for (int i = 0; i < runs; ++i)
        withIdle.push_back(TimeSecondStart({PROGRAM, "one.wav"}));
    Report("second start, one file, 10 idle connections", withIdle);
    for (int fd : idle)
        close(fd);

    std::vector<std::string> many = {PROGRAM};
    for (int i = 0; i < 100000; ++i)
        many.push_back("f" + std::to_string(i));
    std::vector<double> manyTimes;
    for (int i = 0; i < std::min(runs, 3); ++i)
        manyTimes.push_back(TimeSecondStart(many));
    Report("second start, 100,000 files", manyTimes);

    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    std::string remove = "rm -rf '" + root + "'";
    return std::system(remove.c_str()) == 0 ? 0 : 1;
}
