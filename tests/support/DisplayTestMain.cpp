// Runs the tests on a thread of their own while the main thread runs the
// display, as in the program, where loopers wait for the display and the
// display waits for nobody.
//
// The tests run from a copy of this executable in a fresh folder, with the
// desktop's data, configuration and runtime folders inside it: the program
// keeps its options on its own executable and installs file types for the
// user, and neither may touch the build or the user's desktop.

#include <kit/display/Display.h>
#include <kit/display/QtDisplay.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int RunInSandbox(char** argv) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "mfsandbox-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 2;
    fs::path sandbox = pattern;
    fs::path copy = sandbox / "bin" / fs::read_symlink("/proc/self/exe").filename();
    fs::create_directories(copy.parent_path());
    fs::copy_file("/proc/self/exe", copy);
    for (const char* folder : {"data", "config", "run"})
        fs::create_directory(sandbox / folder);
    fs::permissions(sandbox / "run", fs::perms::owner_all, fs::perm_options::replace);

    ::setenv("MF_TEST_SANDBOX", sandbox.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (sandbox / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (sandbox / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (sandbox / "run").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    pid_t child = ::fork();
    if (child == 0) {
        ::execv(copy.c_str(), argv);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::error_code ignored;
    fs::remove_all(sandbox, ignored);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("MF_TEST_SANDBOX") == nullptr)
        return RunInSandbox(argv);

    testing::InitGoogleTest(&argc, argv);
    seam::Install(&display::Qt());
    display::Initialize();
    int result = 1;
    std::thread tests([&] {
        result = RUN_ALL_TESTS();
        display::Exit();
    });
    display::Exec();
    tests.join();
    display::Shutdown();
    return result;
}
