#include <kit/storage/private/ToolRunner.h>

#include <kit/kernel/private/ChildSpawn.h>

#include <cerrno>
#include <sys/wait.h>

namespace kit_private {

status_t run_tool(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty())
        return B_BAD_VALUE;
    std::string program = find_program(argv.front());
    if (program.empty())
        return B_ENTRY_NOT_FOUND;

    std::vector<const char*> arguments;
    arguments.reserve(argv.size());
    for (const std::string& argument : argv)
        arguments.push_back(argument.c_str());
    pid_t pid = -1;
    if (int error = spawn_child(program, arguments, ChildOutput::kDiscard, &pid))
        return status_from_errno(error);

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
