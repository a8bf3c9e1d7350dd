#include "storage/ToolRunner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kit_private {

namespace {

// Owns the attribute objects of one spawn so that every exit path frees them.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool actionsReady = false;
    bool attributesReady = false;

    ~SpawnSetup() {
        if (actionsReady)
            posix_spawn_file_actions_destroy(&actions);
        if (attributesReady)
            posix_spawnattr_destroy(&attributes);
    }
};

} // namespace

status_t run_tool(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty())
        return B_BAD_VALUE;

    SpawnSetup setup;
    if (posix_spawn_file_actions_init(&setup.actions) != 0)
        return B_NO_MEMORY;
    setup.actionsReady = true;
    if (posix_spawnattr_init(&setup.attributes) != 0)
        return B_NO_MEMORY;
    setup.attributesReady = true;

    // Standard input and output from and to /dev/null; every descriptor
    // above standard error closed, whether or not it was opened with
    // O_CLOEXEC by whoever opened it.
    if (posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) !=
            0 ||
        posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) !=
            0 ||
        posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1) != 0)
        return B_NO_MEMORY;

    // A looper thread may block signals, and the caller may ignore some; the
    // child must start clean either way.
    sigset_t empty;
    sigset_t defaults;
    sigemptyset(&empty);
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    if (posix_spawnattr_setsigmask(&setup.attributes, &empty) != 0 ||
        posix_spawnattr_setsigdefault(&setup.attributes, &defaults) != 0 ||
        posix_spawnattr_setflags(&setup.attributes,
                                 POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0)
        return B_ERROR;

    std::vector<char*> arguments;
    arguments.reserve(argv.size() + 1);
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    pid_t pid = -1;
    int error = posix_spawnp(&pid, arguments[0], &setup.actions, &setup.attributes,
                             arguments.data(), environ);
    if (error != 0)
        return error == ENOENT ? B_ENTRY_NOT_FOUND : status_from_errno(error);

    int status = 0;
    pid_t waited;
    do
        waited = ::waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != pid)
        return B_ERROR;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? B_OK : B_ERROR;
}

} // namespace kit_private
