#include <kit/kernel/private/ChildSpawn.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit_private {

namespace {

// Owns the attribute objects of one start, so that every way out frees them.
class SpawnSetup {
public:
    SpawnSetup() {
        fActionsStatus = ::posix_spawn_file_actions_init(&fActions);
        fAttributesStatus = ::posix_spawnattr_init(&fAttributes);
    }
    ~SpawnSetup() {
        if (fActionsStatus == 0)
            ::posix_spawn_file_actions_destroy(&fActions);
        if (fAttributesStatus == 0)
            ::posix_spawnattr_destroy(&fAttributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    int Prepare(const ChildSetup& setup) {
        if (fActionsStatus != 0)
            return fActionsStatus;
        if (fAttributesStatus != 0)
            return fAttributesStatus;
        // Standard input from /dev/null: a child must never read the
        // program's own input.
        if (setup.input >= 0) {
            if (int error =
                    ::posix_spawn_file_actions_adddup2(&fActions, setup.input, STDIN_FILENO))
                return error;
        } else if (int error = ::posix_spawn_file_actions_addopen(&fActions, STDIN_FILENO,
                                                                  "/dev/null", O_RDONLY, 0)) {
            return error;
        }
        if (setup.error >= 0) {
            if (int error =
                    ::posix_spawn_file_actions_adddup2(&fActions, setup.error, STDERR_FILENO))
                return error;
        }
        if (setup.output == ChildOutput::kDiscard) {
            if (int error = ::posix_spawn_file_actions_addopen(&fActions, STDOUT_FILENO,
                                                               "/dev/null", O_WRONLY, 0))
                return error;
        }
        // Every descriptor above the standard three is closed too, in case a
        // library opened one without O_CLOEXEC.
        if (int error = ::posix_spawn_file_actions_addclosefrom_np(&fActions, STDERR_FILENO + 1))
            return error;

        sigset_t none;
        sigemptyset(&none);
        // sigfillset leaves out the C library's two internal signals, and
        // glibc then sets those to "ignore" in the child, which the executed
        // program would inherit. Every bit is set instead, so that they too
        // are back at their default; until the exec all signals stay blocked
        // in the child, so their default action cannot strike early.
        sigset_t all;
        std::memset(&all, 0xff, sizeof all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        if (int error = ::posix_spawnattr_setsigmask(&fAttributes, &none))
            return error;
        if (int error = ::posix_spawnattr_setsigdefault(&fAttributes, &all))
            return error;
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (setup.ownGroup) {
            // Group 0: the child's own process id, set before the exec, so
            // that nothing it starts can escape the group.
            if (int error = ::posix_spawnattr_setpgroup(&fAttributes, 0))
                return error;
            flags |= POSIX_SPAWN_SETPGROUP;
        }
        return ::posix_spawnattr_setflags(&fAttributes, flags);
    }

    const posix_spawn_file_actions_t* Actions() const { return &fActions; }
    const posix_spawnattr_t* Attributes() const { return &fAttributes; }

private:
    posix_spawn_file_actions_t fActions{};
    posix_spawnattr_t fAttributes{};
    int fActionsStatus = -1;
    int fAttributesStatus = -1;
};

} // namespace

std::string find_program(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos)
        return {};
    const char* variable = std::getenv("PATH");
    std::string_view folders = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (folder.empty() || folder.front() != '/')
            continue;
        std::string candidate(folder);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

int spawn_child(const std::string& path, const std::vector<const char*>& argv,
                const ChildSetup& childSetup, pid_t* pid) {
    if (path.empty() || path.front() != '/' || argv.empty() ||
        std::find(argv.begin(), argv.end(), nullptr) != argv.end())
        return EINVAL;

    SpawnSetup setup;
    if (int error = setup.Prepare(childSetup))
        return error;

    std::vector<char*> arguments;
    arguments.reserve(argv.size() + 1);
    for (const char* argument : argv)
        arguments.push_back(const_cast<char*>(argument));
    arguments.push_back(nullptr);

    // glibc starts the child with CLONE_VFORK and hands back the exec's
    // failure as the result, having reaped the failed child itself: a
    // missing file, a folder, a file without execute permission and a file
    // that is neither a binary nor a script all come back here.
    return ::posix_spawn(pid, path.c_str(), setup.Actions(), setup.Attributes(), arguments.data(),
                         environ);
}

} // namespace kit_private
