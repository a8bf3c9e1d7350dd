// The main window's commands and the program options page, driven through
// the real widgets and panels where a user would use them, and through the
// application where the desktop hands files over.

#include "FakeOpener.h"
#include "RunningApp.h"
#include "StoredOptions.h"

#include "app/Commands.h"
#include "filelist/FilesList.h"
#include "filelist/FilesView.h"
#include "mainwindow/OptionsView.h"
#include "mainwindow/TabView.h"
#include "support/ControlDriver.h"
#include "support/PanelDriver.h"
#include "support/TempDir.h"
#include <kit/app/BAutolock.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/BNumberControl.h>
#include <kit/interface/BStringItem.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BTextControl.h>
#include <kit/storage/BFilePanel.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/xattr.h>
#include <thread>

namespace {

// Polls on the test thread, which may lock loopers (the display may not).
bool Eventually(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Everything posted to the application before this call has been handled
// once it returns: the About box asked for afterwards comes after them.
void SyncApplication() {
    ASSERT_EQ(be_app_messenger.SendMessage(B_ABOUT_REQUESTED), B_OK);
    ASSERT_TRUE(driver::AnswerAlert("Schließen").has_value());
}

class Commands : public testing::Test {
protected:
    static void SetUpTestSuite() { ClearOptions(); }
    void SetUp() override {
        running = std::make_unique<RunningApp>();
        ASSERT_TRUE(running->shown);
        window = running->window;
        page = window->tabView->optionsView;
    }
    void TearDown() override {
        running.reset();
        ClearOptions();
    }

    // Reads the window's state under its lock.
    template <class T>
    T Read(const std::function<T()>& read) {
        BAutolock lock(window);
        return lock.IsLocked() ? read() : T{};
    }
    std::string FieldText() {
        return Read<std::string>([&] { return page->locationControl->Text(); });
    }
    std::string EncoderPath() {
        return Read<std::string>([&] { return running->app.encoderPath; });
    }
    std::vector<std::string> Entries() {
        return Read<std::vector<std::string>>([&] {
            std::vector<std::string> entries;
            for (int32 i = 0; i < window->filesList->CountItems(); ++i)
                entries.push_back(static_cast<BStringItem*>(window->filesList->ItemAt(i))->Text());
            return entries;
        });
    }
    void SetField(const std::string& text) {
        BAutolock lock(window);
        page->locationControl->SetText(text.c_str());
    }
    static void HandOver(const std::vector<std::string>& paths, uint32 what = B_REFS_RECEIVED) {
        BMessage message(what);
        for (const std::string& path : paths) {
            entry_ref ref;
            ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
            message.AddRef("refs", &ref);
        }
        ASSERT_EQ(be_app_messenger.SendMessage(&message), B_OK);
    }

    std::unique_ptr<RunningApp> running;
    MainWindow* window = nullptr;
    OptionsView* page = nullptr;
    TempDir dir;
};

} // namespace

TEST_F(Commands, TheOptionsPageIsLaidOutAndSetFromTheOptions) {
    BAutolock lock(window);
    const float R = page->Bounds().right;
    EXPECT_STREQ(page->Name(), "Programm-Optionen");

    BButton* search = page->locationButton;
    float width = 0, height = 0;
    search->GetPreferredSize(&width, &height);
    // At least the layouts' slot of 75 pixels, 74 in the inclusive measure.
    EXPECT_EQ(search->Frame(), BRect(R - 74, 0, R - 74 + std::max(74.0f, width), 20));
    EXPECT_EQ(search->ResizingMode(), B_FOLLOW_TOP | B_FOLLOW_RIGHT);
    EXPECT_EQ(search->Command(), cmd::LOCG);
    EXPECT_LE(search->Frame().right, R) << "the button crosses the page's edge";

    BTextControl* field = page->locationControl;
    EXPECT_EQ(field->Frame().left, 0);
    EXPECT_EQ(field->Frame().top, 1);
    EXPECT_EQ(field->Frame().Width(), R - 79);
    EXPECT_EQ(field->Divider(), 115);
    EXPECT_EQ(field->TextView()->Frame().Width(), R - 203);
    EXPECT_EQ(field->TextView()->MaxBytes(), 1023);
    EXPECT_EQ(field->ResizingMode(), B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
    EXPECT_STREQ(field->Label(), "Pfad zu Oggenc:");
    EXPECT_EQ(field->Message(), nullptr);
    ASSERT_NE(field->ModificationMessage(), nullptr);
    EXPECT_EQ(field->ModificationMessage()->what, cmd::LOCM);

    struct Control {
        const char* name;
        const char* label;
        uint32 command;
        float left;
    };
    const Control controls[] = {
        {"DontCloseOnAdd",
         "\"Dateien hinzufügen\"-Dialog nach dem Hinzufügen von Dateien nicht schließen", cmd::DCOA,
         0},
        {"DontClearOnOpen", "Aktuelle Liste beim Öffnen einer anderen Liste nicht löschen",
         cmd::DCOO, 0},
        {"SelfRegisterMIMEType", "MIME-Typ beim Start automatisch installieren", cmd::SRMT, 0},
        {"RegisterMIMETypeNow", "MIME-Typ jetzt installieren", cmd::RMTN, 19},
        {"UnregisterMIMETypeNow", "MIME-Typ jetzt löschen", cmd::UMTN, -1},
    };
    BRect above = field->Frame();
    BRect previous;
    for (const Control& expected : controls) {
        auto* control = dynamic_cast<BControl*>(page->FindView(expected.name));
        ASSERT_NE(control, nullptr) << expected.name;
        EXPECT_STREQ(control->Label(), expected.label);
        EXPECT_EQ(control->Command(), expected.command) << expected.name;
        EXPECT_FALSE(control->Messenger().IsValid()) << "sends to its window";
        control->GetPreferredSize(&width, &height);
        // A box too wide for the page breaks its label into lines.
        if (auto* box = dynamic_cast<BCheckBox*>(control); box != nullptr && width > R)
            box->GetPreferredSizeWithin(R, &width, &height);
        EXPECT_LE(control->Frame().right, R) << expected.name;
        EXPECT_EQ(control->Frame().Width(), width) << expected.name;
        EXPECT_EQ(control->Frame().Height(), height) << expected.name;
        // The boxes stand one under the other, the second button beside the
        // first; each 5 under the control above.
        const float left = expected.left >= 0 ? expected.left : previous.right + 4;
        EXPECT_EQ(control->Frame().left, left) << expected.name;
        EXPECT_EQ(control->Frame().top, above.bottom + 5) << expected.name;
        previous = control->Frame();
        if (expected.command != cmd::RMTN)
            above = control->Frame();
    }

    // Under the buttons, 10 apart: the count of simultaneous encoders, and
    // the machine's cores beside it or, where the page is too narrow, under it.
    BNumberControl* count = page->encodersControl;
    EXPECT_STREQ(count->Name(), "SimultaneousEncoders");
    EXPECT_STREQ(count->Label(), "Gleichzeitige Kodierungen:");
    EXPECT_EQ(count->Command(), cmd::SENC);
    EXPECT_FALSE(count->Messenger().IsValid()) << "sends to its window";
    EXPECT_EQ(count->Minimum(), 1);
    EXPECT_EQ(count->Maximum(), 64);
    count->GetPreferredSize(&width, &height);
    EXPECT_EQ(count->Frame(), BRect(0, previous.bottom + 10, width, previous.bottom + 10 + height));
    BStringView* cores = page->coreCountView;
    EXPECT_EQ(std::string(cores->Text()),
              OptionsView::CoreCountHint(std::thread::hardware_concurrency()));
    const BRect hint = cores->Frame();
    EXPECT_TRUE((hint.left == count->Frame().right + 8 && hint.top >= count->Frame().top &&
                 hint.bottom <= count->Frame().bottom) ||
                (hint.left == 0 && hint.top == count->Frame().bottom + 5))
        << "beside or under the field";
    for (int32 i = 0; i < page->CountChildren(); ++i) {
        const BView* child = page->ChildAt(i);
        EXPECT_LE(child->Frame().right, R) << child->Name();
        EXPECT_LE(child->Frame().bottom + 5, page->Bounds().bottom) << child->Name();
    }

    // With no options stored, the defaults.
    EXPECT_EQ(count->Value(), 1);
    EXPECT_STREQ(field->Text(), "/boot/home/config/bin/oggenc");
    EXPECT_EQ(page->dontCloseOnAddBox->Value(), B_CONTROL_OFF);
    EXPECT_EQ(page->dontClearOnOpenBox->Value(), B_CONTROL_OFF);
    EXPECT_EQ(page->selfRegisterBox->Value(), B_CONTROL_ON);
}

TEST(CommandsStored, ThePageShowsTheStoredOptions) {
    ClearOptions();
    SetRaw("user.encoder_location", Cstr(std::string("/opt/bin/oggenc") + '\0'));
    SetRaw("user.dont_close_on_add", Bool('\x01'));
    SetRaw("user.dont_clear_on_open", Bool('\x01'));
    SetRaw("user.self_register_mime_type", Bool('\0'));
    SetRaw("user.simultaneous_encoders", Long(std::string("\x05\0\0\0", 4)));
    {
        RunningApp running;
        ASSERT_TRUE(running.shown);
        EXPECT_EQ(driver::LineText(kMainTitle, "EncoderLocation"), "/opt/bin/oggenc");
        EXPECT_EQ(driver::Number(kMainTitle, "SimultaneousEncoders").value, 5);
        EXPECT_TRUE(driver::CheckBoxTicked(kMainTitle, "DontCloseOnAdd"));
        EXPECT_TRUE(driver::CheckBoxTicked(kMainTitle, "DontClearOnOpen"));
        EXPECT_FALSE(driver::CheckBoxTicked(kMainTitle, "SelfRegisterMIMEType"));
    }
    ClearOptions();
}

TEST_F(Commands, EveryChangeOfThePathFieldReachesTheOptionUpTo1023Bytes) {
    // Typed, key by key: each key on its own.
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "EncoderLocation", "X"));
    EXPECT_TRUE(Eventually([&] { return EncoderPath() == "/boot/home/config/bin/oggencX"; }));
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "EncoderLocation", "ä"));
    EXPECT_TRUE(Eventually([&] { return EncoderPath() == "/boot/home/config/bin/oggencXä"; }));

    // Set by the program, up to the last byte that fits; a two-byte
    // character does not fit into the last byte and cannot be typed there.
    const std::string almost(1022, 'p');
    SetField(almost);
    EXPECT_TRUE(Eventually([&] { return EncoderPath() == almost; }));
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "EncoderLocation", "ä"));
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "EncoderLocation", "q"));
    EXPECT_TRUE(Eventually([&] { return EncoderPath() == almost + "q"; }));
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "EncoderLocation", "r"));
    SetField(almost + "ä");
    EXPECT_TRUE(Eventually([&] { return EncoderPath() == almost; }))
        << "a text cut inside a character";
    SetField("");
    EXPECT_TRUE(Eventually([&] { return EncoderPath().empty(); }));
    EXPECT_EQ(Raw("user.encoder_location"), "<missing>") << "stored only when the window quits";
}

TEST_F(Commands, SwitchesChangeTheOptionsInMemoryAndReachTheFileOnQuit) {
    struct Switch {
        const char* box;
        bool MFApp::*option;
        const char* attribute;
        bool initial;
    };
    const Switch switches[] = {
        {"DontCloseOnAdd", &MFApp::dontCloseOnAdd, "user.dont_close_on_add", false},
        {"DontClearOnOpen", &MFApp::dontClearOnOpen, "user.dont_clear_on_open", false},
        {"SelfRegisterMIMEType", &MFApp::selfRegisterMimeType, "user.self_register_mime_type",
         true},
    };
    MFApp& app = running->app;
    for (const Switch& s : switches) {
        // Three clicks: twice restores the option, the third leaves it flipped.
        for (int click = 1; click <= 3; ++click) {
            ASSERT_TRUE(driver::ClickCheckBox(kMainTitle, s.box)) << s.box;
            const bool expected = click % 2 == 1 ? !s.initial : s.initial;
            EXPECT_TRUE(Eventually([&] {
                return Read<bool>([&] { return app.*s.option; }) == expected;
            })) << s.box
                << " after click " << click;
        }
        EXPECT_EQ(Raw(s.attribute), "<missing>") << "stored only when the window quits";
    }
    ASSERT_TRUE(driver::Click(kMainTitle, "CloseButton"));
    running->WaitForEnd();
    for (const Switch& s : switches)
        EXPECT_EQ(Raw(s.attribute), Bool(s.initial ? '\0' : '\x01')) << s.box;
}

TEST_F(Commands, TheEncoderCountFieldChangesTheOptionInMemoryAndReachesTheFileOnQuit) {
    // Read by an assistive tool by its label, and reached by Tab after the
    // buttons above it.
    {
        BAutolock lock(window);
        window->tabView->Select(2);
    }
    ASSERT_TRUE(driver::WaitFor([] { return driver::CurrentTab(kMainTitle) == 2; }));
    driver::NumberShown shown = driver::Number(kMainTitle, "SimultaneousEncoders");
    EXPECT_EQ(shown.accessibleName, "Gleichzeitige Kodierungen:");
    EXPECT_EQ(shown.minimum, 1);
    EXPECT_EQ(shown.maximum, 64);
    EXPECT_EQ(driver::AfterTab(kMainTitle, "UnregisterMIMETypeNow"), "SimultaneousEncoders");
    EXPECT_EQ(driver::AfterTab(kMainTitle, "SimultaneousEncoders", true), "UnregisterMIMETypeNow");

    MFApp& app = running->app;
    auto count = [&] { return Read<int32>([&] { return app.SimultaneousEncoders(); }); };
    ASSERT_TRUE(driver::StepNumber(kMainTitle, "SimultaneousEncoders", 3));
    EXPECT_TRUE(Eventually([&] { return count() == 4; }));
    ASSERT_TRUE(driver::StepNumber(kMainTitle, "SimultaneousEncoders", -5));
    EXPECT_TRUE(Eventually([&] { return count() == 1; }));
    ASSERT_TRUE(driver::StepNumber(kMainTitle, "SimultaneousEncoders", 2));
    EXPECT_TRUE(Eventually([&] { return count() == 3; }));
    EXPECT_EQ(Raw("user.simultaneous_encoders"), "<missing>")
        << "stored only when the window quits";
    ASSERT_TRUE(driver::Click(kMainTitle, "CloseButton"));
    running->WaitForEnd();
    EXPECT_EQ(Raw("user.simultaneous_encoders"), Long(std::string("\x03\0\0\0", 4)));
}

TEST(OptionsPage, TheCoreCountHintCountsInGerman) {
    struct Case {
        unsigned cores;
        const char* hint;
    };
    const Case cases[] = {
        {0, ""},
        {1, "Dieser Rechner hat 1 Prozessorkern."},
        {2, "Dieser Rechner hat 2 Prozessorkerne."},
        {64, "Dieser Rechner hat 64 Prozessorkerne."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OptionsView::CoreCountHint(c.cores), c.hint) << c.cores;
}

TEST_F(Commands, TheFileTypeButtonsActAtOnceAndLeaveTheirBoxAlone) {
    struct Press {
        const char* button;
        const char* title;
        const char* text;
    };
    const Press presses[] = {
        {"UnregisterMIMETypeNow", "MimeDeleted", "MIME-Typ erfolgreich gelöscht."},
        {"RegisterMIMETypeNow", "MimeInstalled", "MIME-Typ erfolgreich installiert."},
    };
    for (const Press& press : presses) {
        ASSERT_TRUE(driver::Click(kMainTitle, press.button));
        auto alert = driver::AnswerAlert("In Ordnung");
        ASSERT_TRUE(alert.has_value()) << press.button;
        EXPECT_EQ(alert->title, press.title);
        EXPECT_EQ(alert->text, press.text);
        EXPECT_TRUE(driver::CheckBoxTicked(kMainTitle, "SelfRegisterMIMEType"));
        EXPECT_TRUE(Read<bool>([&] { return running->app.selfRegisterMimeType; }));
    }
}

TEST_F(Commands, TheEncoderPanelKeepsAChosenLinkAndCancelChangesNothing) {
    const std::string encoder = dir.Write("oggenc", "#!/bin/sh\n");
    const std::string link = dir.File("zum Kodierer");
    ASSERT_EQ(::symlink(encoder.c_str(), link.c_str()), 0);

    ASSERT_TRUE(driver::Click(kMainTitle, "SetEncoderLocation"));
    ASSERT_TRUE(driver::WaitForPanelShown("Pfad suchen"));
    driver::PanelInfo panel = driver::Panel("Pfad suchen");
    EXPECT_EQ(panel.title, "Pfad suchen");
    EXPECT_EQ(panel.acceptLabel, "Auswählen");
    EXPECT_EQ(panel.cancelLabel, "Abbrechen");
    EXPECT_TRUE(panel.applicationModal);
    ASSERT_TRUE(driver::GoToFolder("Pfad suchen", dir.Path(), {"oggenc", "zum Kodierer"}));
    ASSERT_TRUE(driver::SelectEntries("Pfad suchen", {"zum Kodierer"}));
    ASSERT_TRUE(driver::PressAccept("Pfad suchen"));
    EXPECT_TRUE(driver::WaitForPanelHidden("Pfad suchen"));
    // The reply goes to the application, which hands it to the window; the
    // field's change message then stores the path.
    EXPECT_TRUE(Eventually([&] { return FieldText() == link && EncoderPath() == link; }))
        << FieldText();

    ASSERT_TRUE(driver::Click(kMainTitle, "SetEncoderLocation"));
    ASSERT_TRUE(driver::WaitForPanelShown("Pfad suchen"));
    ASSERT_TRUE(driver::GoToFolder("Pfad suchen", dir.Path(), {"oggenc", "zum Kodierer"}));
    ASSERT_TRUE(driver::SelectEntries("Pfad suchen", {"oggenc"}));
    ASSERT_TRUE(driver::PressCancel("Pfad suchen"));
    EXPECT_TRUE(driver::WaitForPanelHidden("Pfad suchen"));
    SyncApplication();
    EXPECT_EQ(FieldText(), link);
    EXPECT_EQ(EncoderPath(), link);
}

TEST_F(Commands, TheApplicationRelaysTheEncoderChoiceToTheWindow) {
    const std::string encoder = dir.Write("oggenc", "");
    const std::string link = dir.File("link");
    ASSERT_EQ(::symlink(encoder.c_str(), link.c_str()), 0);

    // Without "refs" the reply changes nothing.
    ASSERT_EQ(be_app_messenger.SendMessage(cmd::LOGP), B_OK);
    SyncApplication();
    EXPECT_EQ(FieldText(), "/boot/home/config/bin/oggenc");

    HandOver({link}, cmd::LOGP);
    EXPECT_TRUE(Eventually([&] { return FieldText() == link && EncoderPath() == link; }))
        << FieldText();
    EXPECT_EQ(driver::LineText(kMainTitle, "EncoderLocation"), link);
}

TEST_F(Commands, HandedFilesAreAddedAndAListFileIsLoadedAndEndsThem) {
    const std::string first = dir.Write("eins.wav", "RIFF");
    const std::string third = dir.Write("drei.wav", "RIFF");
    const std::string list = dir.Write(
        "Liste.mvl", "# Generated by Mirvex OggVorbis Frontend 1.2a\n0;/a.wav\n0;/b.wav\n");
    // A list file is one by its type attribute, or, without one (copied
    // from a stick, written by hand), by its name; an audio file is never
    // one, whatever it holds.
    const std::string untyped = dir.Write("ohne Typ.MVL", "0;/x.wav\n");
    const std::string typed = dir.Write("gespeichert", "0;/y.wav\n");
    const std::string audio = dir.Write("klingt.wav", "0;/z.wav\n");
    for (const std::string& path : {list, typed})
        ASSERT_EQ(::setxattr(path.c_str(), "user.mime_type", kListMimeType,
                             std::strlen(kListMimeType), 0),
                  0);
    const std::string folder = dir.File("Ordner");
    std::filesystem::create_directory(folder);
    const std::string link = dir.File("Verweis");
    ASSERT_EQ(::symlink(first.c_str(), link.c_str()), 0);

    struct Case {
        const char* what;
        bool dontClearOnOpen;
        std::vector<std::string> handed;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // The list is loaded as opening it would: added to or in place of
        // the entries added before it in the same walk.
        {"a list second of three", true, {first, list, third}, {first, "/a.wav", "/b.wav"}},
        {"a list second of three, clearing", false, {first, list, third}, {"/a.wav", "/b.wav"}},
        {"files, a folder and a link", false, {third, folder, link}, {third, folder, first}},
        {"a list file without its type", false, {first, untyped, third}, {"/x.wav"}},
        {"a list file by its type alone", true, {first, typed}, {first, "/y.wav"}},
        {"an audio file holding list lines", false, {audio, first}, {audio, first}},
    };
    for (const Case& c : cases) {
        {
            BAutolock lock(window);
            window->filesList->Clear();
            running->app.dontClearOnOpen = c.dontClearOnOpen;
        }
        HandOver(c.handed);
        SyncApplication();
        EXPECT_EQ(Entries(), c.expected) << c.what;
    }
}

TEST_F(Commands, ListCommandsActThroughTheirButtonsAndMenuItems) {
    const std::vector<std::string> files = {"/m/a.wav", "/m/b.wav", "/m/c.wav"};
    for (const std::string& file : files)
        window->filesList->AddFile(file.c_str());
    auto select = [&](int32 index) {
        BAutolock lock(window);
        window->filesList->Select(index);
    };

    select(2);
    ASSERT_TRUE(driver::Click(kMainTitle, "MoveUp"));
    EXPECT_TRUE(Eventually([&] {
        return Entries() == std::vector<std::string>{"/m/a.wav", "/m/c.wav", "/m/b.wav"};
    }));
    select(0);
    ASSERT_TRUE(driver::Click(kMainTitle, "MoveDown"));
    EXPECT_TRUE(Eventually([&] {
        return Entries() == std::vector<std::string>{"/m/c.wav", "/m/a.wav", "/m/b.wav"};
    }));
    select(0);
    ASSERT_TRUE(driver::Click(kMainTitle, "RemoveFiles"));
    EXPECT_TRUE(Eventually([&] {
        return Entries() == std::vector<std::string>{"/m/a.wav", "/m/b.wav"};
    }));
    // "Neu" empties the list without asking, though it was never saved.
    ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Liste", "Neu"));
    EXPECT_TRUE(Eventually([&] { return Entries().empty(); }));
    EXPECT_FALSE(driver::AlertShown("SaveOpenError"));

    const std::pair<const char*, const char*> panels[] = {{"Öffnen...", "Liste öffnen"},
                                                          {"Speichern...", "Liste speichern"}};
    for (const auto& [item, panel] : panels) {
        ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Liste", item));
        EXPECT_TRUE(driver::WaitForPanelShown(panel)) << panel;
        EXPECT_EQ(driver::Types(panel).labels,
                  (std::vector<std::string>{"Alle Dateien (*)", "Listendateien (*.mvl)"}));
        ASSERT_TRUE(driver::PressCancel(panel));
        EXPECT_TRUE(driver::WaitForPanelHidden(panel));
    }
}

TEST_F(Commands, TheAddPanelFollowsTheSwitchEachTimeItIsShownAndAddsFilesInItsOrder) {
    const std::vector<std::string> songs = {"lied.wav", "b lied.wav", "c.wav"};
    for (const std::string& song : songs)
        dir.Write(song, "RIFF");
    struct Showing {
        bool stayOpen;
        const char* cancelLabel;
    };
    for (const Showing showing :
         {Showing{false, "Abbrechen"}, Showing{true, "Schließen"}, Showing{false, "Abbrechen"}}) {
        if (Read<bool>([&] { return running->app.dontCloseOnAdd; }) != showing.stayOpen) {
            ASSERT_TRUE(driver::ClickCheckBox(kMainTitle, "DontCloseOnAdd"));
            ASSERT_TRUE(Eventually([&] {
                return Read<bool>([&] { return running->app.dontCloseOnAdd; }) == showing.stayOpen;
            }));
        }
        {
            BAutolock lock(window);
            window->filesList->Clear();
        }
        ASSERT_TRUE(driver::Click(kMainTitle, "AddFiles"));
        ASSERT_TRUE(driver::WaitForPanelShown("Dateien hinzfügen"));
        EXPECT_EQ(driver::Panel("Dateien hinzfügen").cancelLabel, showing.cancelLabel);
        EXPECT_EQ(
            driver::Types("Dateien hinzfügen").labels,
            (std::vector<std::string>{"Alle Dateien (*)",
                                      "Audiodateien (*.wav *.aif *.aiff *.aifc *.flac *.raw)"}));
        ASSERT_TRUE(driver::GoToFolder("Dateien hinzfügen", dir.Path(), songs));
        // Several files chosen at once join the list in the panel's order.
        ASSERT_TRUE(
            driver::SelectEntries("Dateien hinzfügen", {"c.wav", "lied.wav", "b lied.wav"}));
        std::vector<std::string> chosen;
        ASSERT_TRUE(driver::PressAcceptReporting("Dateien hinzfügen", &chosen));
        EXPECT_EQ(chosen.size(), 3u);
        EXPECT_TRUE(Eventually([&] { return Entries() == chosen; }));
        if (showing.stayOpen) {
            EXPECT_TRUE(driver::Panel("Dateien hinzfügen").visible);
            ASSERT_TRUE(driver::PressCancel("Dateien hinzfügen"));
        }
        EXPECT_TRUE(driver::WaitForPanelHidden("Dateien hinzfügen"));
    }
}

TEST_F(Commands, TheReadmeIsLookedForBesideTheExecutableNotInTheWorkingFolder) {
    FakeOpener opener;
    const std::string beside = std::filesystem::path(OwnExecutable()).parent_path() / "readme";
    std::filesystem::remove(beside);
    // A readme in the working folder is not the program's.
    dir.Write("readme", "nicht diese");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());

    ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Hilfe", "Liesmich"));
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "ReadmeDialog");
    EXPECT_EQ(alert->text, "Liesmich-Datei nicht gefunden!");
    EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});

    {
        std::FILE* file = std::fopen(beside.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Hilfe", "Liesmich"));
    EXPECT_TRUE(Eventually([&] { return !opener.Opened().empty(); }));
    EXPECT_EQ(opener.Opened(), beside + "\n");
    EXPECT_FALSE(driver::AlertShown("ReadmeDialog"));

    std::filesystem::current_path(before);
    std::filesystem::remove(beside);
}
