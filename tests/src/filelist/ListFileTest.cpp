#include "FileListTesting.h"

#include "app/Commands.h"
#include "filelist/ListFile.h"
#include "support/ListDriver.h"
#include "support/PanelDriver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace filelist_testing;

namespace {

const std::string kHeader = ListFile::kHeader;
const char* const kOpenError = "Eingabedatei kann nicht geöffnet werden. Sorgen Sie dafür, dass "
                               "Sie Zugriff auf die Datei haben.";
const char* const kCreateError =
    "Ausgabedatei kann nicht erstellt oder geöffnet werden. Sorgen Sie dafür, dass die Datei "
    "sich nicht auf einer Nur-Lesen-Festplatte befindet oder dass die Datei, die Sie "
    "überschreiben möchten, von keiner anderen Anwendung benutzt wird.";
const char* const kWriteError =
    "Ausgabedatei kann nicht geschrieben werden. Ist die Festplatte voll?";

std::vector<std::string> ReadBytes(const std::string& bytes) {
    std::vector<std::string> entries;
    std::string copy = bytes;
    FILE* stream =
        copy.empty() ? std::fopen("/dev/null", "r") : ::fmemopen(copy.data(), copy.size(), "r");
    EXPECT_NE(stream, nullptr);
    if (stream == nullptr)
        return entries;
    EXPECT_TRUE(ListFile::Read(stream, &entries));
    std::fclose(stream);
    return entries;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string TypeOf(const std::string& path) {
    char type[256] = {};
    ssize_t length = ::getxattr(path.c_str(), "user.mime_type", type, sizeof type - 1);
    return length > 0 ? std::string(type, size_t(length)) : std::string();
}

class ListFileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.shown);
        window = running.window;
        list = window->filesList;
    }

    void SetEntries(const std::vector<std::string>& texts) {
        Locked(window, [&] {
            list->Clear();
            for (const std::string& text : texts)
                list->AddFile(text.c_str());
            return true;
        });
    }

    // Saves through the save panel's reply, as the application receives it.
    void PostSave(const std::string& folder, const std::string& name) {
        entry_ref directory;
        ASSERT_EQ(get_ref_for_path(folder.c_str(), &directory), B_OK);
        BMessage reply(cmd::SLPM);
        reply.AddRef("directory", &directory);
        reply.AddString("name", name.c_str());
        ASSERT_EQ(be_app_messenger.SendMessage(&reply), B_OK);
    }

    // Saves and expects the named alert; answers it.
    void SaveExpectingAlert(const std::string& folder, const std::string& name, const char* title,
                            const char* text) {
        PostSave(folder, name);
        std::optional<driver::AlertInfo> alert = driver::AnswerAlert("OK");
        ASSERT_TRUE(alert.has_value()) << "no alert for " << name;
        EXPECT_EQ(alert->title, title);
        EXPECT_EQ(alert->text, text);
        EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});
    }

    void SetDontClearOnOpen(bool on) {
        Locked(window, [&] {
            running.app.dontClearOnOpen = on;
            return true;
        });
    }

    RunningApp running;
    MainWindow* window = nullptr;
    FilesList* list = nullptr;
};

} // namespace

TEST(ListFileReader, ReadsEachKindOfLineAsDesigned) {
    const std::string longest(1023, 'p');
    struct Row {
        const char* what;
        std::string bytes;
        std::vector<std::string> entries;
    };
    const Row rows[] = {
        {"the header line", kHeader, {}},
        {"a line as written", "0;/musik/a.wav\n", {"/musik/a.wav"}},
        {"any other number", "17;/a\n", {"/a"}},
        {"a path with its own ;", "0;/a;b\n", {"/a;b"}},
        {"an empty number field", ";/a\n", {"/a"}},
        {"a path without ;", "/musik/a.wav\n", {}},
        {"a number and ; alone", "0;\n", {""}},
        {"a number and ; as the last bytes", "0;/a\n0;", {"/a"}},
        {"CR LF keeps the CR", "0;/a\r\n", {"/a\r"}},
        {"a CR as the last bytes", "0;/a\r", {"/a"}},
        {"empty lines of both kinds", "\n\r\n0;/a\n\n", {"/a"}},
        {"a blank first", " 1;/a\n", {"/a"}},
        {"comments anywhere", "0;/a\n#0;/b\n0;/c\n", {"/a", "/c"}},
        {"a CR first", "\r0;/a\n", {}},
        {"a NUL first",
         std::string("\0"
                     "0;/a\n0;/b\n",
                     10),
         {"/b"}},
        {"no header, no last LF", "0;/a\n0;/b", {"/a", "/b"}},
        {"no entries", kHeader + "# mehr\n\n", {}},
        {"nothing at all", "", {}},
        {"the longest path", kHeader + "0;" + longest + "\n0;/b\n", {longest, "/b"}},
        {"a long line in pieces, the rest without ;",
         "0;" + longest + "zzz\n0;/b\n",
         {longest, "/b"}},
        {"a long line in pieces, the rest with ;", "0;" + longest + "x;y\n", {longest, "y"}},
        {"non-UTF-8 bytes", "0;/caf\xe9\xff\n", {"/caf\xe9\xff"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReadBytes(row.bytes), row.entries) << row.what;
}

TEST_F(ListFileTest, OpenReplacesOrAppendsAndBringsTheFilesTabToTheFront) {
    TempDir folder;
    std::string file = folder.Write("liste", kHeader + "0;/eins\n0;/zwei\n");
    std::string empty = folder.Write("leer", kHeader);
    struct Case {
        const char* what;
        bool dontClear;
        std::string path;
        std::vector<std::string> entries;
        bool encode;
    };
    const Case cases[] = {
        {"replacing", false, file, {"/eins", "/zwei"}, true},
        {"appending", true, file, {"/alt", "/eins", "/zwei"}, true},
        {"an empty list file empties the list", false, empty, {}, false},
        {"an empty list file appends nothing", true, empty, {"/alt"}, true},
    };
    for (const Case& test : cases) {
        SetEntries({"/alt"});
        SetDontClearOnOpen(test.dontClear);
        Locked(window, [&] {
            list->Select(0);
            window->tabView->Select(2);
            list->Open(test.path.c_str());
            return true;
        });
        ListState state = StateOf(window);
        EXPECT_EQ(state.texts, test.entries) << test.what;
        EXPECT_EQ(state.encode, test.encode) << test.what;
        EXPECT_EQ(Locked(window, [&] { return window->tabView->Selection(); }), 0) << test.what;
        EXPECT_TRUE(driver::WaitFor([] { return driver::CurrentTab(kMainTitle) == 0; }))
            << test.what;
        EXPECT_TRUE(driver::WaitFor([&] {
            return driver::ListRows(kMainTitle, "FilesList") == test.entries;
        })) << test.what;
    }
    SetDontClearOnOpen(false);
}

TEST_F(ListFileTest, AFileThatCannotBeReadLeavesTheListAndTheTab) {
    TempDir folder;
    std::string unreadable = folder.File("Ordner");
    ASSERT_EQ(::mkdir(unreadable.c_str(), 0755), 0);
    for (const std::string& path : {folder.File("fehlt"), unreadable}) {
        SetEntries({"/bleibt"});
        Locked(window, [&] {
            window->tabView->Select(1);
            return true;
        });
        entry_ref ref;
        ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
        BMessage reply(cmd::OLPM);
        reply.AddRef("refs", &ref);
        ASSERT_EQ(be_app_messenger.SendMessage(&reply), B_OK);
        std::optional<driver::AlertInfo> alert = driver::AnswerAlert("OK");
        ASSERT_TRUE(alert.has_value()) << path;
        EXPECT_EQ(alert->title, "OpenOpenError");
        EXPECT_EQ(alert->text, kOpenError);
        EXPECT_EQ(StateOf(window).texts, std::vector<std::string>{"/bleibt"}) << path;
        EXPECT_EQ(Locked(window, [&] { return window->tabView->Selection(); }), 1);
    }
}

TEST_F(ListFileTest, TheWriterWritesTheHeaderAndOneLinePerEntryAndSetsTheType) {
    TempDir folder;
    SetEntries({});
    list->Save(folder.File("leer").c_str());
    EXPECT_EQ(ReadFileText(folder.File("leer")), kHeader);
    EXPECT_EQ(kHeader.size(), 46u);
    EXPECT_EQ(TypeOf(folder.File("leer")), kListMimeType);

    const std::vector<std::string> entries = {"/musik/a.wav", "/mit;strich", "", "/caf\xe9\r",
                                              "/a b"};
    SetEntries(entries);
    list->Save(folder.File("liste").c_str());
    EXPECT_EQ(ReadFileText(folder.File("liste")),
              kHeader + "0;/musik/a.wav\n0;/mit;strich\n0;\n0;/caf\xe9\r\n0;/a b\n");
    EXPECT_EQ(TypeOf(folder.File("liste")), kListMimeType);
    // Saving leaves the list as it was, and nothing beside the file.
    EXPECT_EQ(StateOf(window).texts, entries);
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"leer", "liste"}));
}

TEST_F(ListFileTest, SavingOverAListThroughItsPanelAsksInGermanAndKeepsItUnlessReplaced) {
    TempDir folder;
    const std::string old = kHeader + "0;/alt.wav\r\n# eine Notiz\n";
    const std::string path = folder.Write("alt.mvl", old);
    SetEntries({"/neu.wav"});
    Locked(window, [&] { list->ShowSave(); });
    ASSERT_TRUE(driver::WaitForPanelShown("Liste speichern"));
    ASSERT_TRUE(driver::GoToFolder("Liste speichern", folder.Path(), {"alt.mvl"}));

    ASSERT_TRUE(driver::TypeName("Liste speichern", "alt.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    std::optional<driver::AlertInfo> asked = driver::AnswerAlert("Abbrechen");
    ASSERT_TRUE(asked.has_value()) << "saving over the list asked nothing";
    EXPECT_EQ(asked->text, "Die Datei „alt.mvl“ gibt es bereits. Soll sie ersetzt werden?");
    EXPECT_EQ(asked->buttons, (std::vector<std::string>{"Ersetzen", "Abbrechen"}));
    // The panel stays for another name; the old list is left byte for byte.
    EXPECT_TRUE(driver::Panel("Liste speichern").visible);
    driver::Settle();
    EXPECT_EQ(ReadFileText(path), old);

    ASSERT_TRUE(driver::TypeName("Liste speichern", "alt.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    ASSERT_TRUE(driver::AnswerAlert("Ersetzen").has_value());
    EXPECT_TRUE(WaitForList(
        window, [&](const ListState&) { return ReadFileText(path) == kHeader + "0;/neu.wav\n"; }));
    EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
}

TEST_F(ListFileTest, RandomListsLoadBackAsTheyWereSaved) {
    TempDir folder;
    std::mt19937 random(20240611);
    for (int round = 0; round < 12; ++round) {
        std::vector<std::string> entries(random() % 40);
        for (std::string& entry : entries) {
            entry.resize(random() % 1024);
            for (char& byte : entry) {
                // Any byte but NUL and LF.
                do
                    byte = char(random() % 256);
                while (byte == '\0' || byte == '\n');
            }
        }
        entries.push_back(std::string(1023, 'x'));
        SetEntries(entries);
        std::string path = folder.File("runde" + std::to_string(round));
        list->Save(path.c_str());
        SetEntries({"/weg"});
        list->Open(path.c_str());
        EXPECT_EQ(StateOf(window).texts, entries) << "round " << round;
    }
}

TEST_F(ListFileTest, AFailedSaveNeverDestroysTheListItReplaces) {
    TempDir folder;
    const std::string old = kHeader + "0;/alt\n";
    std::vector<std::string> many;
    for (int i = 0; i < 400; ++i)
        many.push_back("/musik/ein recht langer Name für Stück " + std::to_string(i) + ".wav");

    // The file may grow no further than 4096 bytes, as on a full disk.
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 4096;
    SetEntries(many);
    folder.Write("alt.mvl", old);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveExpectingAlert(folder.Path(), "alt.mvl", "SaveWriteError", kWriteError);
    SaveExpectingAlert(folder.Path(), "neu.mvl", "SaveWriteError", kWriteError);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadFileText(folder.File("alt.mvl")), old);
    EXPECT_FALSE(Exists(folder.File("neu.mvl")));
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"alt.mvl"});
    EXPECT_EQ(StateOf(window).texts, many);

    // An entry with a LF would load back as other entries: nothing is written.
    SetEntries({"/erste", "/zwei\nzeilen"});
    SaveExpectingAlert(folder.Path(), "alt.mvl", "SaveWriteError", kWriteError);
    SaveExpectingAlert(folder.Path(), "lf.mvl", "SaveWriteError", kWriteError);
    EXPECT_EQ(ReadFileText(folder.File("alt.mvl")), old);
    EXPECT_FALSE(Exists(folder.File("lf.mvl")));
    // Nor does an entry longer than a path, which only a hand-made list
    // file (";" and 1024 bytes) can give: it would lose its last byte.
    std::string handMade = folder.Write("hand.mvl", ";" + std::string(1024, 'x') + "\n");
    Locked(window, [&] { list->Open(handMade.c_str()); });
    ASSERT_EQ(StateOf(window).texts, std::vector<std::string>{std::string(1024, 'x')});
    SaveExpectingAlert(folder.Path(), "lang.mvl", "SaveWriteError", kWriteError);
    EXPECT_FALSE(Exists(folder.File("lang.mvl")));
    // Nor one of a path's full length that ends in CR: its line would fill a
    // piece without its LF, and the CR would be read as the line's end.
    folder.Write("hand.mvl", ";" + std::string(1022, 'x') + "\r\r\n");
    Locked(window, [&] { list->Open(handMade.c_str()); });
    ASSERT_EQ(StateOf(window).texts, std::vector<std::string>{std::string(1022, 'x') + "\r"});
    SaveExpectingAlert(folder.Path(), "cr.mvl", "SaveWriteError", kWriteError);
    EXPECT_FALSE(Exists(folder.File("cr.mvl")));
    ::unlink(handMade.c_str());

    // Files and folders that cannot be written.
    SetEntries({"/neu"});
    // A name that a folder can hold but that leaves no room for the suffix
    // of the temporary beside it, new or over an old list.
    const std::string longName(250, 'l');
    SaveExpectingAlert(folder.Path(), longName, "SaveOpenError", kCreateError);
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"alt.mvl"});
    folder.Write(longName, old);
    SaveExpectingAlert(folder.Path(), longName, "SaveOpenError", kCreateError);
    EXPECT_EQ(ReadFileText(folder.File(longName)), old);
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"alt.mvl", longName}));
    EXPECT_EQ(StateOf(window).texts, std::vector<std::string>{"/neu"});
    ::unlink(folder.File(longName).c_str());
    std::string readOnly = folder.Write("schreibgeschützt.mvl", old);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    SaveExpectingAlert(folder.Path(), "schreibgeschützt.mvl", "SaveOpenError", kCreateError);
    EXPECT_EQ(ReadFileText(readOnly), old);
    ASSERT_EQ(::mkdir(folder.File("ordner.mvl").c_str(), 0755), 0);
    SaveExpectingAlert(folder.Path(), "ordner.mvl", "SaveOpenError", kCreateError);
    std::string locked = folder.File("gesperrt");
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    std::string inLocked = locked + "/alt.mvl";
    std::ofstream(inLocked) << old;
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    SaveExpectingAlert(locked, "alt.mvl", "SaveOpenError", kCreateError);
    SaveExpectingAlert(locked, "neu.mvl", "SaveOpenError", kCreateError);
    EXPECT_EQ(ReadFileText(inLocked), old);
    EXPECT_EQ(Names(locked), std::vector<std::string>{"alt.mvl"});
    ::chmod(locked.c_str(), 0755);
}

TEST_F(ListFileTest, SavingOverALinkWritesItsTargetAndKeepsTheLink) {
    TempDir folder;
    std::string target = folder.Write("ziel.mvl", kHeader + "0;/alt\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::string link = folder.File("verweis.mvl");
    ASSERT_EQ(::symlink("ziel.mvl", link.c_str()), 0);
    SetEntries({"/neu"});
    PostSave(folder.Path(), "verweis.mvl");
    ASSERT_TRUE(WaitForList(
        window, [&](const ListState&) { return ReadFileText(target) == kHeader + "0;/neu\n"; }));
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
    EXPECT_EQ(TypeOf(target), kListMimeType);
}

namespace {

pid_t StartProbe(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = MF_SAVE_PROBE;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return child;
}

int WaitForProbe(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

TEST(ListFileCrash, AWriterKilledBeforeTheRenameLeavesTheOldList) {
    TempDir folder;
    const std::string old = kHeader + "0;/alt\n";
    std::string path = folder.Write("liste.mvl", old);
    pid_t child = StartProbe({"kill-before-rename", path});
    ASSERT_GT(child, 0);
    int status = WaitForProbe(child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(ReadFileText(path), old);
}

TEST(ListFileCrash, AWriterKilledAtAnyMomentLeavesTheOldListOrTheNewOne) {
    TempDir folder;
    std::string path = folder.File("liste.mvl");
    std::string first, second;
    for (int i = 0; i < 20000; ++i) {
        ListFile::AppendEntry(&first, ("/erste/" + std::to_string(i)).c_str());
        ListFile::AppendEntry(&second, ("/zweite/" + std::to_string(i)).c_str());
    }
    first = kHeader + first;
    second = kHeader + second;
    ASSERT_EQ(ListFile::Write(path.c_str(), first), ListFile::Outcome::Written);
    std::mt19937 random(7);
    for (int round = 0; round < 15; ++round) {
        pid_t child = StartProbe({"save-forever", path});
        ASSERT_GT(child, 0);
        ::usleep(useconds_t(2000 + random() % 40000));
        ::kill(child, SIGKILL);
        WaitForProbe(child);
        std::string now = ReadFileText(path);
        EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size();
    }
}
