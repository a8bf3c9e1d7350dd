#include "support/Capture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

const char* const kEntryId = "x-vnd.MirvexOggVorbisFrontend.desktop";
const char* const kListType = "text/x-MirvexOggVorbisFronted-list";

std::string SourceDir() {
    const char* source = std::getenv("MF_SOURCE_DIR");
    return source != nullptr ? source : MF_SOURCE_DIR_AT_BUILD;
}

// Runs the install's script for the link and the desktop entry, as
// `cmake --install` does, for prefix.
void RunInstallScript(const std::string& prefix) {
    Capture({MF_CMAKE_COMMAND, "-DCMAKE_INSTALL_PREFIX=" + prefix,
             "-DMF_PACKAGING=" + SourceDir() + "/packaging",
             "-DMF_APP_FOLDER=lib/MirvexOggVorbisFrontend",
             "-DMF_DESKTOP_ID=x-vnd.MirvexOggVorbisFrontend", "-P",
             SourceDir() + "/cmake/InstallLauncher.cmake"});
}

std::string ExecValue(const std::string& entry) {
    std::string text = ReadFileText(entry);
    size_t at = text.find("\nExec=");
    if (at == std::string::npos)
        return {};
    at += 6;
    return text.substr(at, text.find('\n', at) - at);
}

// What a program started by the desktop was handed, once it has written it.
std::string WaitForRecord(const std::string& record) {
    for (int i = 0; i < 3000; ++i) {
        if (std::filesystem::exists(record)) {
            std::string text = ReadFileText(record);
            if (!text.empty() && text.back() == '\n')
                return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

} // namespace

// The desktop entry that the install writes, for prefixes of every kind of
// character: clean for the standard's checker; the path bare unless it holds
// a character the standard reserves, so that xdg-mime, which takes the first
// word of Exec for the program, finds it; started by the desktop with the
// chosen file either way.
TEST(InstallEntryTest, TheEntryNamesTheInstalledProgramAsTheDesktopReadsIt) {
    struct Case {
        const char* folder;
        bool quoted;
        bool checkDesktop; // GIO and xdg-mime can read the entry's program
    };
    const Case cases[] = {
        {"plain", false, true},
        {"Umlaut-\xc3\xa4", false, true},
        {"mit Blank", true, true},
        {"dollar$sign", true, true},
        {"double\"quote", true, true},
        {"single'quote", true, true},
        {"semi;colon", true, true},
        {"tilde~and#hash", true, true},
        // The standard's escape of a percent sign, which GIO does not take
        // back in a program's path: only the checker reads it.
        {"per%cent", false, false},
    };
    TempDir root;
    std::filesystem::create_directories(root.File("config"));
    root.Write("config/mimeapps.list",
               std::string("[Default Applications]\n") + kListType + "=" + kEntryId + ";\n");
    ::setenv("XDG_CONFIG_HOME", root.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", root.File("data").c_str(), 1);
    std::string sample = root.Write("liste.mvl", "");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        std::string prefix = root.File(c.folder);
        RunInstallScript(prefix);
        std::string entry = prefix + "/share/applications/" + kEntryId;
        ASSERT_TRUE(std::filesystem::exists(entry));
        EXPECT_EQ(Capture({"desktop-file-validate", entry}), "");

        std::string link = prefix + "/bin/MirvexOggVorbisFrontend";
        std::string exec = ExecValue(entry);
        EXPECT_EQ(!exec.empty() && exec.front() == '"', c.quoted) << exec;
        if (!c.quoted && c.checkDesktop) {
            EXPECT_EQ(exec, link + " %F");
        }
        if (!c.checkDesktop)
            continue;

        // A stand-in for the program behind the link notes what it is given.
        std::string record = root.File("record");
        std::filesystem::remove(record);
        std::string program = prefix + "/lib/MirvexOggVorbisFrontend/MirvexOggVorbisFrontend";
        std::filesystem::create_directories(prefix + "/lib/MirvexOggVorbisFrontend");
        std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record << "'\n";
        ::chmod(program.c_str(), 0755);
        Capture({"gio", "launch", entry, sample});
        EXPECT_EQ(WaitForRecord(record), sample + "\n");

        ::setenv("XDG_DATA_DIRS", (prefix + "/share:/usr/share").c_str(), 1);
        std::string answer = Capture({"xdg-mime", "query", "default", kListType});
        ::unsetenv("XDG_DATA_DIRS");
        // A quoted path is xdg-mime's to misread; the bare ones it must find.
        if (!c.quoted) {
            EXPECT_EQ(answer, kEntryId);
        }
    }
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        ::unsetenv(name);
}
