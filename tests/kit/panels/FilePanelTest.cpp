#include "support/DisplayDriver.h"
#include "support/PanelDriver.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/storage/BFilePanel.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

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

TEST_F(FilePanelTest, SavePanelSendsTheFolderAndTheTypedName) {
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, B_FILE_NODE, false, new BMessage(kSaveList),
                     nullptr, true, true);
    panel.Window()->SetTitle("Liste speichern");
    ShowListed(panel, "Liste speichern");

    // A name that is not one entry of the folder is refused: the receiver
    // joins folder and name. The panel stays open and sends nothing.
    ASSERT_TRUE(driver::TypeName("Liste speichern", "unter/liste.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    EXPECT_TRUE(app.Sync().empty());
    EXPECT_TRUE(driver::Panel("Liste speichern").visible);

    ASSERT_TRUE(driver::TypeName("Liste speichern", "neue Liste.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].what, kSaveList);
    entry_ref chosen;
    ASSERT_EQ(received[0].FindRef("directory", &chosen), B_OK);
    EXPECT_EQ(chosen, folder);
    EXPECT_EQ(chosen.path, dir.Path());
    std::string name;
    ASSERT_EQ(received[0].FindString("name", &name), B_OK);
    EXPECT_EQ(name, "neue Liste.mvl");
    EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
}

TEST_F(FilePanelTest, SavingOverAnExistingFileAsksFirst) {
    entry_ref folder = Folder();
    BFilePanel panel(B_SAVE_PANEL, nullptr, &folder, 0, false, new BMessage(kSaveList), nullptr,
                     true, true);
    panel.Window()->SetTitle("Liste speichern");
    panel.SetReplaceQuestion("Die Datei „%s“ gibt es bereits. Soll sie ersetzt werden?", "Ersetzen",
                             "Abbrechen");
    ShowListed(panel, "Liste speichern");

    ASSERT_TRUE(driver::TypeName("Liste speichern", "a.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    auto asked = driver::AnswerAlert("Abbrechen");
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->text, "Die Datei „a.mvl“ gibt es bereits. Soll sie ersetzt werden?");
    EXPECT_TRUE(app.Sync().empty());
    EXPECT_TRUE(driver::Panel("Liste speichern").visible);

    ASSERT_TRUE(driver::TypeName("Liste speichern", "a.mvl"));
    ASSERT_TRUE(driver::PressAccept("Liste speichern"));
    ASSERT_TRUE(driver::AnswerAlert("Ersetzen").has_value());
    auto received = app.WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
    std::string name;
    EXPECT_EQ(received[0].FindString("name", &name), B_OK);
    EXPECT_EQ(name, "a.mvl");
    EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
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
