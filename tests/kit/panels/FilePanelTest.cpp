#include "support/DisplayDriver.h"
#include "support/PanelDriver.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/storage/BFilePanel.h>

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint32 kOpenList = four_cc("OLPM");
constexpr uint32 kSaveList = four_cc("SLPM");
constexpr uint32 kEncoderPath = four_cc("LOGP");
constexpr uint32 kMarker = four_cc("MARK");

// Keeps every message that reaches it, refs messages included, and lets the
// test wait for them.
class RecordingApp : public BApplication {
public:
    RecordingApp() : BApplication("application/x-vnd.PanelProbe") {}

    void ReadyToRun() override { ready = true; }
    void RefsReceived(BMessage* message) override { Record(*message); }
    void MessageReceived(BMessage* message) override { Record(*message); }

    // Waits until at least count messages (markers left out) have arrived.
    std::vector<BMessage> WaitFor(size_t count) {
        std::unique_lock guard(fMutex);
        fChanged.wait_for(guard, std::chrono::seconds(60),
                          [&] { return Received().size() >= count; });
        return Received();
    }

    // Everything received once the messages queued so far have been handled.
    std::vector<BMessage> Sync() {
        BMessage marker(kMarker);
        marker.AddInt32("serial", ++fSerial);
        be_app_messenger.SendMessage(&marker);
        int32 serial = fSerial;
        std::unique_lock guard(fMutex);
        fChanged.wait_for(guard, std::chrono::seconds(60), [&] { return fLastMarker == serial; });
        return Received();
    }

    void Forget() {
        std::lock_guard guard(fMutex);
        fMessages.clear();
    }

private:
    void Record(const BMessage& message) {
        std::lock_guard guard(fMutex);
        if (message.what == kMarker)
            message.FindInt32("serial", &fLastMarker);
        else
            fMessages.push_back(message);
        fChanged.notify_all();
    }

    std::vector<BMessage> Received() const { return fMessages; }

public:
    std::atomic<bool> ready{false};

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    std::vector<BMessage> fMessages;
    int32 fLastMarker = 0;
    int32 fSerial = 0; // the test's thread only
};

// A running application to receive what panels without a target send, and a
// folder with a few files, a folder and links to choose from.
class FilePanelTest : public testing::Test {
protected:
    void SetUp() override {
        a = dir.Write("a.mvl", "");
        b = dir.Write("b.wav", "");
        c = dir.Write("c c.wav", "");
        sub = dir.File("sub");
        // Not the test program's own arguments.
        app.SetLaunchArguments({});
        std::filesystem::create_directory(sub);
        fRunning = std::thread([this] { app.Run(); });
        ASSERT_TRUE(driver::WaitFor([this] { return app.ready.load(); }));
    }

    void TearDown() override {
        be_app_messenger.SendMessage(B_QUIT_REQUESTED);
        fRunning.join();
    }

    entry_ref Folder() const {
        entry_ref ref;
        get_ref_for_path(dir.Path().c_str(), &ref);
        return ref;
    }

    // Shows the panel and waits until its folder is listed.
    void ShowListed(BFilePanel& panel, const std::string& title) {
        panel.Show();
        ASSERT_TRUE(driver::WaitForPanelShown(title));
        ASSERT_TRUE(driver::WaitForListing(title, dir.Path(), {"a.mvl", "b.wav", "sub"}));
    }

    static std::vector<std::string> Paths(const BMessage& message, const char* field = "refs") {
        std::vector<std::string> paths;
        entry_ref ref;
        for (int32 i = 0; message.FindRef(field, i, &ref) == B_OK; ++i)
            paths.push_back(ref.path);
        return paths;
    }

    TempDir dir;
    std::string a, b, c, sub;
    RecordingApp app;

private:
    std::thread fRunning;
};

TEST_F(FilePanelTest, OpenPanelSendsItsMessageWithTheChosenFileAndHides) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kOpenList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste öffnen");
    ShowListed(panel, "Liste öffnen");
    EXPECT_TRUE(panel.IsShowing());
    EXPECT_TRUE(driver::Panel("Liste öffnen").applicationModal);

    ASSERT_TRUE(driver::SelectEntries("Liste öffnen", {"a.mvl"}));
    ASSERT_TRUE(driver::PressAccept("Liste öffnen"));

    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].what, kOpenList);
    EXPECT_EQ(Paths(received[0]), std::vector<std::string>{a});
    EXPECT_TRUE(driver::WaitForPanelHidden("Liste öffnen"));
    EXPECT_FALSE(panel.IsShowing());
}

TEST_F(FilePanelTest, PanelWithoutMessageSendsEveryChosenFileInTheDialogsOrder) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, true, nullptr, nullptr, false,
                     true);
    panel.Window()->SetTitle("Dateien hinzfügen");
    ShowListed(panel, "Dateien hinzfügen");
    EXPECT_FALSE(driver::Panel("Dateien hinzfügen").applicationModal);

    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"c c.wav", "a.mvl", "b.wav"}));
    std::vector<std::string> reported;
    ASSERT_TRUE(driver::PressAcceptReporting("Dateien hinzfügen", &reported));
    ASSERT_EQ(reported.size(), 3u);

    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].what, B_REFS_RECEIVED);
    EXPECT_EQ(Paths(received[0]), reported);
}

TEST_F(FilePanelTest, ExplicitTargetReceivesInsteadOfTheApplication) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, 0, false, new BMessage(kOpenList));
    panel.Window()->SetTitle("Ziel");

    struct Target : BLooper {
        void MessageReceived(BMessage* message) override {
            std::lock_guard guard(mutex);
            got.push_back(*message);
        }
        std::mutex mutex;
        std::vector<BMessage> got;
    };
    auto* target = new Target;
    target->Run();
    panel.SetTarget(BMessenger(target));
    ShowListed(panel, "Ziel");
    ASSERT_TRUE(driver::SelectEntries("Ziel", {"b.wav"}));
    ASSERT_TRUE(driver::PressAccept("Ziel"));
    ASSERT_TRUE(driver::WaitFor([&] {
        std::lock_guard guard(target->mutex);
        return !target->got.empty();
    }));
    {
        std::lock_guard guard(target->mutex);
        EXPECT_EQ(Paths(target->got.at(0)), std::vector<std::string>{b});
    }
    EXPECT_TRUE(app.Sync().empty());
    target->Lock();
    target->Quit();
}

// Sets HOME for as long as it lives. Qt reads the environment under a lock of
// its own, which qputenv takes too.
class HomeAt {
public:
    explicit HomeAt(const std::string& folder) : fOld(qgetenv("HOME")) {
        qputenv("HOME", QByteArray::fromStdString(folder));
    }
    ~HomeAt() { qputenv("HOME", fOld); }

private:
    QByteArray fOld;
};

std::string ShotPath(const char* name) {
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");
    return folder == nullptr ? std::string() : std::string(folder) + "/" + name;
}

TEST_F(FilePanelTest, SavePanelSplitsATypedPathIntoFolderAndName) {
    TempDir home;
    HomeAt homeAt(home.Path());
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kSaveList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste speichern");
    struct Case {
        std::string shown; // the folder the dialog shows when the name is typed
        std::string typed;
        std::string folder; // the folder that "directory" must name
        std::string name;
    };
    const Case cases[] = {
        {dir.Path(), "neue Liste.mvl", dir.Path(), "neue Liste.mvl"},
        {dir.Path(), sub + "/liste.mvl", sub, "liste.mvl"},
        {dir.Path(), "sub/liste.mvl", sub, "liste.mvl"},
        {sub, "../liste.mvl", dir.Path(), "liste.mvl"},
        {sub, "./../sub//liste.mvl", sub, "liste.mvl"},
        {dir.Path(), "~/liste.mvl", home.Path(), "liste.mvl"},
        {dir.Path(), "~", home.Path(), ""}, // a folder: entered, nothing sent
    };
    std::string lastShown = dir.Path();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.typed);
        app.Forget();
        panel.Show();
        ASSERT_TRUE(driver::WaitForPanelShown("Liste speichern"));
        // A panel shown again shows the folder it showed last.
        EXPECT_EQ(driver::Panel("Liste speichern").folder, lastShown);
        ASSERT_TRUE(driver::GoToFolder("Liste speichern", row.shown, {}));
        ASSERT_TRUE(driver::TypeName("Liste speichern", row.typed));
        // Return in the field does what the button does.
        ASSERT_TRUE(&row - cases < 3 ? driver::PressReturn("Liste speichern")
                                     : driver::PressAccept("Liste speichern"));
        if (row.name.empty()) {
            EXPECT_TRUE(driver::WaitForListing("Liste speichern", row.folder, {}));
            EXPECT_TRUE(app.Sync().empty());
            lastShown = row.folder;
            continue;
        }
        auto received = app.WaitFor(1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].what, kSaveList);
        entry_ref chosen, expected;
        ASSERT_EQ(get_ref_for_path(row.folder.c_str(), &expected), B_OK);
        ASSERT_EQ(received[0].FindRef("directory", &chosen), B_OK);
        EXPECT_EQ(chosen, expected);
        std::string name;
        ASSERT_EQ(received[0].FindString("name", &name), B_OK);
        EXPECT_EQ(name, row.name);
        EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
        // The next showing starts where the list went.
        lastShown = row.folder;
    }
}

// What cannot be saved is said at once; the panel stays as it was, text and
// all, and sends nothing.
TEST_F(FilePanelTest, SavePanelExplainsATypedPathItCannotTake) {
    TempDir home;
    HomeAt homeAt(home.Path());
    std::filesystem::create_directory(dir.File("ä"));
    std::string umlauts;
    for (int i = 0; i < 128; ++i)
        umlauts += "ä"; // 128 characters, 256 bytes: one more than a name may have
    const std::string tooLong =
        "Der Dateiname ist zu lang für das Dateisystem. Bitte wählen Sie einen kürzeren Namen.";
    auto missing = [](const std::string& folder) {
        return "Den Ordner „" + folder +
               "“ gibt es nicht. Bitte geben Sie einen vorhandenen Ordner an.";
    };
    struct Case {
        std::string typed;
        std::string message;
    };
    const Case cases[] = {
        {"fehlt/liste.mvl", missing(dir.File("fehlt"))},
        {dir.File("fehlt/liste.mvl"), missing(dir.File("fehlt"))},
        {"~/fehlt/liste.mvl", missing(home.File("fehlt"))},
        {"fehlt/", missing(dir.File("fehlt"))},
        {"a.mvl/liste.mvl", missing(a)},
        {umlauts, tooLong},
        {"ä/" + umlauts, tooLong},
        {std::string(256, 'x'), tooLong},
        {"ä/" + std::string(255, 'x'), ""}, // the longest name there is
    };
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kSaveList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste speichern");
    ShowListed(panel, "Liste speichern");
    bool pictured = false;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.typed);
        ASSERT_TRUE(driver::TypeName("Liste speichern", row.typed));
        ASSERT_TRUE(driver::PressAccept("Liste speichern"));
        if (row.message.empty()) {
            auto received = app.WaitFor(1);
            ASSERT_EQ(received.size(), 1u);
            std::string name;
            EXPECT_EQ(received[0].FindString("name", &name), B_OK);
            EXPECT_EQ(name, std::string(255, 'x'));
            continue;
        }
        if (!pictured) {
            driver::GrabAlert(ShotPath("save-panel-missing-folder.png"));
            pictured = true;
        }
        auto told = driver::AnswerAlert("OK");
        ASSERT_TRUE(told.has_value());
        EXPECT_EQ(told->text, row.message);
        EXPECT_EQ(told->shownTitle, "Liste speichern");
        EXPECT_EQ(told->buttons, std::vector<std::string>{"OK"});
        EXPECT_TRUE(app.Sync().empty());
        driver::PanelInfo after = driver::Panel("Liste speichern");
        EXPECT_TRUE(after.visible);
        EXPECT_EQ(after.typed, row.typed);
        EXPECT_EQ(after.folder, dir.Path());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("fehlt")));
}

// Run as a user who cannot write the folder: root can write anywhere, so as
// root the case runs again in a copy of this program that has become the
// system's unprivileged user.
TEST_F(FilePanelTest, SavePanelExplainsAFolderItCannotWriteIn) {
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr)
            GTEST_SKIP() << "running as root, and there is no user \"nobody\" to become";
        const char* sandbox = std::getenv("MF_TEST_SANDBOX");
        ASSERT_NE(sandbox, nullptr);
        // The copy of this program lies in the sandbox; the other user must
        // reach it.
        std::filesystem::permissions(
            sandbox, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                         std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                         std::filesystem::perms::others_exec);
        const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
        const std::string filter = std::string("--gtest_filter=FilePanelTest.") +
                                   testing::UnitTest::GetInstance()->current_test_info()->name();
        std::vector<std::string> environment;
        for (char** variable = environ; *variable != nullptr; ++variable)
            if (std::string_view(*variable).substr(0, 16) != "MF_TEST_SANDBOX=")
                environment.emplace_back(*variable);
        std::vector<char*> argv{const_cast<char*>(program.c_str()),
                                const_cast<char*>(filter.c_str()), nullptr};
        std::vector<char*> envp;
        for (std::string& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        constexpr int kCannotSwitch = 77;
        const pid_t child = fork();
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(kCannotSwitch);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        ASSERT_GT(child, 0);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        if (WEXITSTATUS(status) == kCannotSwitch)
            GTEST_SKIP() << "running as root, and cannot become the user \"nobody\"";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the case failed as the user \"nobody\"";
        return;
    }
    std::filesystem::create_directory(dir.File("fest"));
    std::filesystem::permissions(dir.File("fest"), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_exec);
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kSaveList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste speichern");
    ShowListed(panel, "Liste speichern");
    for (const std::string& typed : {std::string("fest/liste.mvl"), dir.File("fest/liste.mvl")}) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(driver::TypeName("Liste speichern", typed));
        ASSERT_TRUE(driver::PressAccept("Liste speichern"));
        auto told = driver::AnswerAlert("OK");
        ASSERT_TRUE(told.has_value());
        EXPECT_EQ(told->text, "In den Ordner „" + dir.File("fest") +
                                  "“ kann nicht geschrieben werden. Bitte wählen Sie einen "
                                  "anderen Ordner.");
        EXPECT_TRUE(app.Sync().empty());
        EXPECT_TRUE(driver::Panel("Liste speichern").visible);
    }
    std::filesystem::permissions(dir.File("fest"), std::filesystem::perms::owner_all);
}

TEST_F(FilePanelTest, OpenPanelTakesATypedPathOfAnExistingFile) {
    TempDir home;
    HomeAt homeAt(home.Path());
    const std::string inner = dir.Write("sub/inner.wav", "");
    const std::string atHome = home.Write("daheim.mvl", "");
    struct Case {
        std::string typed;
        std::string chosen;  // what "refs" must name, or
        std::string missing; // the path the message names
    };
    const Case cases[] = {
        {b, b, ""},
        {"sub/inner.wav", inner, ""},
        {"sub/../b.wav", b, ""},
        {"~/daheim.mvl", atHome, ""},
        {"fehlt.mvl", "", dir.File("fehlt.mvl")},
        {"sub/fehlt.wav", "", dir.File("sub/fehlt.wav")},
        {"~/fehlt.mvl", "", home.File("fehlt.mvl")},
    };
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kOpenList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste öffnen");
    for (const Case& row : cases) {
        SCOPED_TRACE(row.typed);
        app.Forget();
        panel.Show();
        ASSERT_TRUE(driver::WaitForPanelShown("Liste öffnen"));
        ASSERT_TRUE(driver::GoToFolder("Liste öffnen", dir.Path(), {"a.mvl"}));
        ASSERT_TRUE(driver::TypeName("Liste öffnen", row.typed));
        ASSERT_TRUE(driver::PressAccept("Liste öffnen"));
        if (row.chosen.empty()) {
            auto told = driver::AnswerAlert("OK");
            ASSERT_TRUE(told.has_value());
            EXPECT_EQ(told->text,
                      "Die Datei „" + row.missing + "“ gibt es nicht. Bitte prüfen Sie den Namen.");
            EXPECT_TRUE(app.Sync().empty());
            EXPECT_TRUE(driver::Panel("Liste öffnen").visible);
            continue;
        }
        auto received = app.WaitFor(1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(Paths(received[0]), std::vector<std::string>{row.chosen});
        EXPECT_TRUE(driver::WaitForPanelHidden("Liste öffnen"));
    }
}

TEST_F(FilePanelTest, SavingOverAnExistingEntryAsksFirst) {
    // A link that leads nowhere is replaced by the save all the same.
    std::filesystem::create_symlink(dir.File("nirgends"), dir.File("verwaist.mvl"));
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, 0, false, new BMessage(kSaveList), nullptr,
                     true, true);
    panel.Window()->SetTitle("Liste speichern");
    panel.SetReplaceQuestion("Die Datei „%s“ gibt es bereits. Soll sie ersetzt werden?", "Ersetzen",
                             "Abbrechen");
    for (const std::string name : {"a.mvl", "verwaist.mvl"}) {
        SCOPED_TRACE(name);
        app.Forget();
        ShowListed(panel, "Liste speichern");
        ASSERT_TRUE(driver::TypeName("Liste speichern", name));
        ASSERT_TRUE(driver::PressAccept("Liste speichern"));
        auto asked = driver::AnswerAlert("Abbrechen");
        ASSERT_TRUE(asked.has_value());
        EXPECT_EQ(asked->text,
                  "Die Datei „" + name + "“ gibt es bereits. Soll sie ersetzt werden?");
        EXPECT_TRUE(app.Sync().empty());
        EXPECT_TRUE(driver::Panel("Liste speichern").visible);

        ASSERT_TRUE(driver::TypeName("Liste speichern", name));
        ASSERT_TRUE(driver::PressAccept("Liste speichern"));
        ASSERT_TRUE(driver::AnswerAlert("Ersetzen").has_value());
        auto received = app.WaitFor(1);
        ASSERT_EQ(received.size(), 1u);
        std::string chosen;
        EXPECT_EQ(received[0].FindString("name", &chosen), B_OK);
        EXPECT_EQ(chosen, name);
        EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
    }
}

// The type choices stand in the dialog, every file first; each column shows
// its content whole in the dialog's first size.
TEST_F(FilePanelTest, AddPanelOffersTypeChoicesAndShowsEveryColumnWhole) {
    dir.Write("Aufnahme vom Konzert im Stadtpark, zweiter Teil.wav", std::string(123456, 'x'));
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, true, nullptr, nullptr, true,
                     true);
    panel.Window()->SetTitle("Dateien hinzfügen");
    panel.SetButtonLabel(B_DEFAULT_BUTTON, "Hinzufügen");
    panel.SetButtonLabel(B_CANCEL_BUTTON, "Abbrechen");
    const std::vector<std::string> choices = {
        "Alle Dateien (*)", "Audiodateien (*.wav *.aif *.aiff *.aifc *.flac *.raw)"};
    panel.SetNameFilters(choices);
    ShowListed(panel, "Dateien hinzfügen");
    driver::TypeChoices types = driver::Types("Dateien hinzfügen");
    EXPECT_EQ(types.labels, choices);
    EXPECT_EQ(types.chosen, 0);

    // The columns are fitted once the folder is read; the dialog reads it in
    // the background.
    std::vector<driver::Cell> cells;
    EXPECT_TRUE(driver::WaitFor([&] {
        cells = driver::Cells("Dateien hinzfügen");
        return !cells.empty() && std::all_of(cells.begin(), cells.end(), [](const auto& cell) {
            return cell.seen >= cell.needed;
        });
    }));
    ASSERT_FALSE(cells.empty());
    for (const driver::Cell& cell : cells)
        EXPECT_GE(cell.seen, cell.needed) << cell.column << ": " << cell.text;
    driver::Grab("Dateien hinzfügen", ShotPath("add-files-panel.png"));
}

TEST_F(FilePanelTest, LinksArriveAsLinksOnlyWhenLinksMayBeChosen) {
    std::filesystem::create_symlink(b, dir.File("link"));
    struct Case {
        uint32 flavors;
        std::string expected;
    };
    for (const Case& row :
         {Case{B_FILE_NODE | B_SYMLINK_NODE, dir.File("link")}, Case{B_FILE_NODE, b}, Case{0, b}}) {
        SCOPED_TRACE(row.flavors);
        app.Forget();
        entry_ref folder = Folder();
        BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, row.flavors, false,
                         new BMessage(kEncoderPath), nullptr, true, true);
        panel.Window()->SetTitle("Pfad suchen");
        ShowListed(panel, "Pfad suchen");
        ASSERT_TRUE(driver::WaitForListing("Pfad suchen", dir.Path(), {"link"}));
        ASSERT_TRUE(driver::SelectEntries("Pfad suchen", {"link"}));
        ASSERT_TRUE(driver::PressAccept("Pfad suchen"));
        auto received = app.WaitFor(1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(Paths(received[0]), std::vector<std::string>{row.expected});
    }
}

TEST_F(FilePanelTest, FoldersAreEnteredNeverChosen) {
    std::string inner = dir.Write("sub/inner.wav", "");
    std::filesystem::create_directory_symlink(sub, dir.File("sublink"));
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE | B_SYMLINK_NODE, false,
                     new BMessage(kEncoderPath), nullptr, true, true);
    panel.Window()->SetTitle("Pfad suchen");
    ShowListed(panel, "Pfad suchen");

    // The accept button on a folder, or on a link to one, goes into it.
    for (const char* entry : {"sub", "sublink"}) {
        ASSERT_TRUE(driver::GoToFolder("Pfad suchen", dir.Path(), {entry}));
        ASSERT_TRUE(driver::SelectEntries("Pfad suchen", {entry}));
        ASSERT_TRUE(driver::PressAccept("Pfad suchen"));
        EXPECT_TRUE(driver::WaitForListing("Pfad suchen", dir.File(entry), {"inner.wav"}));
    }
    // So does a double click.
    ASSERT_TRUE(driver::GoToFolder("Pfad suchen", dir.Path(), {"sub"}));
    ASSERT_TRUE(driver::ActivateEntry("Pfad suchen", "sub"));
    EXPECT_TRUE(driver::WaitForListing("Pfad suchen", sub, {"inner.wav"}));
    EXPECT_TRUE(app.Sync().empty());
    EXPECT_TRUE(driver::Panel("Pfad suchen").visible);

    // A file in there is chosen as usual.
    ASSERT_TRUE(driver::ActivateEntry("Pfad suchen", "inner.wav"));
    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(Paths(received[0]), std::vector<std::string>{inner});
}

TEST_F(FilePanelTest, TitleAndLabelsSetAfterConstructionAreShownReadably) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, 0, true, nullptr, nullptr, true, true);
    panel.Window()->SetTitle("Dateien hinzfügen");
    panel.SetButtonLabel(B_DEFAULT_BUTTON, "Hinzufügen");
    panel.SetButtonLabel(B_CANCEL_BUTTON, "Abbrechen");
    EXPECT_STREQ(panel.Window()->Title(), "Dateien hinzfügen");
    ShowListed(panel, "Dateien hinzfügen");
    driver::PanelInfo shown = driver::Panel("Dateien hinzfügen");
    EXPECT_EQ(shown.title, "Dateien hinzfügen");
    EXPECT_EQ(shown.acceptLabel, "Hinzufügen");
    EXPECT_EQ(shown.acceptAccessibleName, "Hinzufügen");
    EXPECT_EQ(shown.cancelLabel, "Abbrechen");
    EXPECT_EQ(shown.cancelAccessibleName, "Abbrechen");

    // Changes while the panel is up show at once; "&" is shown as it stands.
    panel.SetButtonLabel(B_CANCEL_BUTTON, "Schließen & fertig");
    panel.Window()->SetTitle("Mehr Dateien");
    ASSERT_TRUE(driver::WaitFor(
        [] { return driver::Panel("Mehr Dateien").cancelAccessibleName == "Schließen & fertig"; }));
    shown = driver::Panel("Mehr Dateien");
    EXPECT_EQ(shown.title, "Mehr Dateien");
    EXPECT_EQ(shown.cancelLabel, "Schließen && fertig");
    EXPECT_FALSE(driver::Panel("Dateien hinzfügen").exists);
}

TEST_F(FilePanelTest, PanelThatStaysOpenDeliversEachChoiceWithTheSelectionCleared) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, true, nullptr, nullptr, true,
                     true);
    panel.Window()->SetTitle("Dateien hinzfügen");
    panel.SetHideWhenDone(false);
    EXPECT_FALSE(panel.HidesWhenDone());
    ShowListed(panel, "Dateien hinzfügen");

    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"a.mvl"}));
    ASSERT_TRUE(driver::PressAccept("Dateien hinzfügen"));
    auto received = app.WaitFor(1);
    // The dialog may still be sorting its folder in the background; what
    // counts is that it settles with nothing chosen and nothing typed.
    EXPECT_TRUE(driver::WaitFor([] {
        driver::PanelInfo after = driver::Panel("Dateien hinzfügen");
        return after.visible && after.selectedRows == 0 && after.typed.empty();
    })) << "shown: "
        << driver::Panel("Dateien hinzfügen").visible
        << ", rows: " << driver::Panel("Dateien hinzfügen").selectedRows << ", typed: \""
        << driver::Panel("Dateien hinzfügen").typed << "\"";
    EXPECT_TRUE(panel.IsShowing());

    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"b.wav"}));
    ASSERT_TRUE(driver::PressAccept("Dateien hinzfügen"));
    received = app.WaitFor(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(Paths(received[0]), std::vector<std::string>{a});
    EXPECT_EQ(Paths(received[1]), std::vector<std::string>{b});
    EXPECT_TRUE(driver::Panel("Dateien hinzfügen").visible);

    // Once hiding is switched back on, the next choice closes the panel.
    panel.SetHideWhenDone(true);
    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"c c.wav"}));
    driver::Settle();
    ASSERT_TRUE(driver::PressAccept("Dateien hinzfügen"));
    EXPECT_EQ(app.WaitFor(3).size(), 3u);
    EXPECT_TRUE(driver::WaitForPanelHidden("Dateien hinzfügen"));
}

TEST_F(FilePanelTest, CancelSendsNothingAndTheNextShowingKeepsEverySetting) {
    entry_ref folder = Folder();
    BFilePanel panel(B_OPEN_PANEL, nullptr, &folder, B_FILE_NODE, true, nullptr, nullptr, true,
                     true);
    panel.Window()->SetTitle("Dateien hinzfügen");
    panel.SetButtonLabel(B_DEFAULT_BUTTON, "Hinzufügen");
    panel.SetButtonLabel(B_CANCEL_BUTTON, "Schließen");
    panel.SetHideWhenDone(false);
    ShowListed(panel, "Dateien hinzfügen");

    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"a.mvl"}));
    ASSERT_TRUE(driver::PressCancel("Dateien hinzfügen"));
    EXPECT_TRUE(driver::WaitForPanelHidden("Dateien hinzfügen"));
    EXPECT_FALSE(panel.IsShowing());
    EXPECT_TRUE(app.Sync().empty());

    panel.Show();
    ASSERT_TRUE(driver::WaitForPanelShown("Dateien hinzfügen"));
    EXPECT_TRUE(panel.IsShowing());
    driver::PanelInfo again = driver::Panel("Dateien hinzfügen");
    EXPECT_EQ(again.title, "Dateien hinzfügen");
    EXPECT_EQ(again.acceptLabel, "Hinzufügen");
    EXPECT_EQ(again.cancelLabel, "Schließen");
    EXPECT_TRUE(again.applicationModal);
    ASSERT_TRUE(driver::SelectEntries("Dateien hinzfügen", {"b.wav"}));
    ASSERT_TRUE(driver::PressAccept("Dateien hinzfügen"));
    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(Paths(received[0]), std::vector<std::string>{b});
    // Still up: hide-when-done stayed off.
    EXPECT_TRUE(driver::Panel("Dateien hinzfügen").visible);

    panel.Hide();
    EXPECT_FALSE(panel.IsShowing());
    EXPECT_TRUE(driver::WaitForPanelHidden("Dateien hinzfügen"));
}

TEST_F(FilePanelTest, PanelDeletedOnALooperThreadTakesItsDialogAlong) {
    entry_ref folder = Folder();
    auto* panel = new BFilePanel(B_OPEN_PANEL, nullptr, &folder);
    panel->Window()->SetTitle("Kurzlebig");
    ShowListed(*panel, "Kurzlebig");

    struct Owner : BLooper {
        void MessageReceived(BMessage*) override {
            delete panel;
            panel = nullptr;
        }
        BFilePanel* panel = nullptr;
    };
    auto* owner = new Owner;
    owner->panel = panel;
    owner->Run();
    owner->PostMessage(kMarker);
    EXPECT_TRUE(driver::WaitForPanelGone("Kurzlebig"));
    owner->Lock();
    owner->Quit();
}

} // namespace
