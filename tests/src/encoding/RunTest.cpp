#include "RunFixture.h"

#include "KillProbe.h"

#include "support/ControlDriver.h"
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BTextControl.h>
#include <kit/storage/BNode.h>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <sys/stat.h>

namespace {

const std::string kLaunchFailedText =
    "Irgendetwas schlechtes passierte beim Versuch, Oggenc zu starten. Sorgen Sie dafür, dass "
    "Oggenc ist, wo es sein soll und nicht läuft und versuchen Sie es noch einmal.";

std::string EncodeFailedText(const std::string& path) {
    return path + " nicht gefunden. Gehen Sie bitte zu den Programmoptionen und sorgen Sie dafür, "
                  "dass das Feld \"Pfad zu Oggenc:\" direkt auf Oggenc oder einen Link darauf "
                  "verweist (nicht auf das Oggenc-Verzeichnis).";
}

} // namespace

using BatchRun = RunFixture;

TEST_F(BatchRun, EncodesEveryEntryInListOrderEachAsOneArgument) {
    ASSERT_TRUE(window->Lock());
    window->tabView->encoderView->bitrateMenu->ItemAt(3)->SetMarked(true);
    window->tabView->encoderView->extraParam->SetText("-c \"a b\"");
    window->Unlock();
    const std::vector<std::string> files = {"/x/a.wav", "/x/My Music/b c.wav",
                                            "/x/\"q\" -o \"/tmp/o.ogg.wav", "-dash.wav",
                                            "/x/\xfe\n$HOME.wav"};
    AddFiles(files);
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(files.size()));
    ASSERT_TRUE(Eventually([&] { return Idle(); }));

    const Arguments options = {"-b", "128", "-c", "a b"};
    const auto calls = encoder.Calls();
    for (size_t i = 0; i < files.size(); ++i) {
        Arguments expected = options;
        if (files[i][0] == '-')
            expected.push_back("--");
        expected.push_back(files[i]);
        EXPECT_EQ(calls[i], expected) << i;
    }

    // The run's end leaves the list alone and the run's state at its start.
    ASSERT_TRUE(window->Lock());
    EXPECT_STREQ(window->optionsBefore, "-b 128 -c \"a b\"");
    EXPECT_STREQ(window->optionsAfter, "");
    EXPECT_EQ(window->fileIndex, 0);
    EXPECT_EQ(window->filesList->CountItems(), int32(files.size()));
    EXPECT_EQ(window->encoderRef.path, encoder.Path());
    const BRect main = window->Frame();
    window->Unlock();
    EXPECT_EQ(Progress().frame.LeftTop(), BPoint(main.left + 50, main.top + 50));
}

TEST_F(BatchRun, FailedEntriesAreNamedInOneAlertWhenTheRunEnds) {
    // Each entry behaves as its leaf name says; the wrapper is skipped, and
    // the eleven silent failures after it are more than the alert names.
    encoder.SetMode("byname");
    std::vector<std::string> files = {"/x/gut.wav",   "/x/fail.wav",  "/x/Mein Ordner/error.wav",
                                      "/x/crash.wav", "/x/noisy.wav", "/x/wrapper.wav"};
    for (int i = 0; i < 11; ++i)
        files.push_back("/x/" + std::to_string(i) + "/fail.wav");
    files.push_back("/y/gut.wav");
    AddFiles(files);
    Press(cmd::ENCD);

    // "Datei auslassen" ends the wrapper and the child it waits for.
    ASSERT_TRUE(Launched(6));
    std::string child;
    ASSERT_TRUE(
        Eventually([&] { return !(child = ReadFileText(encoder.dir.File("child"))).empty(); }));
    Press(cmd::SKIP);
    EXPECT_TRUE(Gone(std::stoi(child)));

    auto alert = driver::AnswerAlert("OK", std::chrono::seconds(60));
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "EncodeErrors");
    EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(alert->text, "Diese Dateien konnten nicht kodiert werden:\n\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "error.wav: ERROR: cannot read /x/Mein Ordner/error.wav\n"
                           "crash.wav: durch Signal 11 beendet\n"
                           "noisy.wav: ERROR: noisy\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "fail.wav: mit Status 1 beendet\n"
                           "… und 5 weitere");
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), files.size());

    // The next run starts afresh: all good, and it ends silently.
    encoder.SetMode("exit");
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(2 * files.size()));
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    SyncApplication();
}

TEST_F(BatchRun, StopNamesOnlyTheEntriesThatFailedBeforeIt) {
    encoder.SetMode("byname");
    AddFiles({"/x/fail.wav", "/x/wait.wav", "/x/error.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(2));
    Press(cmd::STOP);
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "EncodeErrors");
    EXPECT_EQ(alert->text,
              "Diese Dateien konnten nicht kodiert werden:\n\nfail.wav: mit Status 1 beendet");
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), 2u);

    // A run stopped before anything failed ends silently.
    encoder.SetMode("wait");
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(3));
    Press(cmd::STOP);
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    SyncApplication();
}

TEST_F(BatchRun, EachFileIsShownAndSkipHoldsTheButtonsUntilTheNextFile) {
    encoder.SetMode("wait");
    const std::vector<std::string> files = {"/x/eins.wav", "/x/zwei drei.wav", "/x/vier.wav"};
    const std::vector<std::string> shown = {"/x/eins.wav", "\"/x/zwei drei.wav\"", "/x/vier.wav"};
    AddFiles(files);
    Press(cmd::ENCD);
    for (size_t k = 0; k < files.size(); ++k) {
        ASSERT_TRUE(Launched(k + 1)) << k;
        ProgressState progress = Progress();
        EXPECT_FALSE(progress.hidden);
        EXPECT_EQ(progress.fileName, shown[k]);
        EXPECT_EQ(progress.fileNumber, "Datei " + std::to_string(k + 1) + " von 3");
        EXPECT_TRUE(progress.skipEnabled && progress.stopEnabled) << k;
        RunState state = State();
        EXPECT_TRUE(state.running);
        EXPECT_EQ(state.fileIndex, int32(k + 1));
        EXPECT_TRUE(driver::WaitFor([&] {
            return driver::Widget(kProgressTitle, "FileName").text == shown[k] &&
                   driver::Widget(kProgressTitle, "SkipFile").enabled;
        }));
        if (k == 0) {
            // Floating, modal for the program, without close, zoom, minimise
            // or resizing, 50 right of and below the main window's corner.
            driver::WindowTraits traits = driver::Traits(kProgressTitle);
            EXPECT_TRUE(traits.visible && traits.floating && traits.appModal && traits.fixedSize);
            EXPECT_FALSE(traits.closeBox || traits.minimizeBox || traits.maximizeBox);
            driver::WidgetInfo main = driver::Window(kMainTitle);
            EXPECT_EQ(traits.x, main.x + 50);
            EXPECT_EQ(traits.y, main.y + 50);
            EXPECT_EQ(traits.width, 341);
        }

        // With the application held, the killed encoder's notice waits, and
        // the buttons stay disabled.
        ASSERT_TRUE(be_app->Lock());
        Press(cmd::SKIP);
        EXPECT_TRUE(Eventually([&] {
            ProgressState now = Progress();
            return !now.skipEnabled && !now.stopEnabled;
        }));
        EXPECT_TRUE(Reaped(state.team));
        EXPECT_EQ(encoder.CountCalls(), k + 1);
        EXPECT_TRUE(State().running);
        be_app->Unlock();
    }
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), files.size());
    EXPECT_EQ(State().fileIndex, 0);
}

TEST_F(BatchRun, StopEndsEverythingAndALateNoticeChangesNothing) {
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav", "/x/b.wav", "/x/c.wav"});
    // Idle, "SKIP" and "STOP" do nothing.
    Press(cmd::SKIP);
    Press(cmd::STOP);
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));
    const RunState during = State();
    ASSERT_TRUE(during.running);

    Press(cmd::STOP);
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_TRUE(Reaped(during.team));
    EXPECT_EQ(State().fileIndex, 0);

    // The killed encoder's own notice, and a forged one after it, find the
    // run over.
    PostNotice(&during.ref, during.team, during.launch);
    SyncApplication();
    EXPECT_EQ(encoder.CountCalls(), 1u);
    EXPECT_TRUE(Idle());

    // The next run starts again from the first entry.
    encoder.SetMode("exit");
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(4));
    EXPECT_EQ(encoder.Calls()[1], Arguments{"/x/a.wav"});
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
}

TEST_F(BatchRun, AnEmptyListShowsTheWindowAndHidesItAtOnce) {
    Press(cmd::ENCD);
    ASSERT_TRUE(window->Lock());
    const BRect main = window->Frame();
    window->Unlock();
    // It was shown and placed, then hidden again; nothing was launched.
    EXPECT_TRUE(Eventually([&] {
        return Progress().frame.LeftTop() == BPoint(main.left + 50, main.top + 50) && Idle();
    }));
    SyncApplication();
    EXPECT_EQ(encoder.CountCalls(), 0u);
    EXPECT_EQ(State().fileIndex, 0);
    EXPECT_FALSE(driver::AnswerAlert("OK", std::chrono::milliseconds(0)).has_value());
}

TEST_F(BatchRun, AMissingEncoderIsToldWithThePathAsStored) {
    const std::string link = encoder.dir.File("kaputt");
    ASSERT_EQ(::symlink(encoder.dir.File("nirgends").c_str(), link.c_str()), 0);
    AddFiles({"/x/a.wav"});
    for (const std::string& path : {encoder.dir.File("kein oggenc"), link, std::string()}) {
        SetEncoderPath(path);
        Press(cmd::ENCD);
        auto alert = driver::AnswerAlert("OK");
        ASSERT_TRUE(alert.has_value()) << path;
        EXPECT_EQ(alert->title, "EncodeFailed");
        EXPECT_EQ(alert->text, EncodeFailedText(path));
        EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});
        EXPECT_TRUE(Idle());
        EXPECT_FALSE(State().ref.IsSet()); // no member changed
    }
    EXPECT_EQ(encoder.CountCalls(), 0u);
}

TEST_F(BatchRun, ALaunchThatFailsIsToldAndEndsTheRun) {
    const std::string plain = encoder.dir.Write("nur text", "kein Programm\n");
    SetEncoderPath(plain);
    AddFiles({"/x/a.wav", "/x/b.wav"});
    Press(cmd::ENCD);
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "LaunchFailed");
    EXPECT_EQ(alert->text, kLaunchFailedText);
    EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(State().fileIndex, 0);
}

TEST_F(BatchRun, AnAlertOfTheApplicationsThreadBlocksOnlyThatThread) {
    // The first encoder takes its own execute permission away, so the second
    // launch fails on the application's thread, which relays the notice.
    encoder.SetMode("break");
    AddFiles({"/x/a.wav", "/x/b.wav", "/x/c.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(driver::WaitFor([] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "LaunchFailed" && widget->isVisible())
                return true;
        return false;
    }));
    // The display goes on painting: the main window draws afresh.
    EXPECT_TRUE(driver::OnDisplay<bool>([] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->windowTitle() == kMainTitle)
                return !widget->grab().isNull();
        return false;
    }));
    // The progress window's thread is free, and shows the failed entry.
    ProgressState progress = Progress();
    EXPECT_FALSE(progress.hidden);
    EXPECT_EQ(progress.fileNumber, "Datei 2 von 3");
    EXPECT_EQ(encoder.CountCalls(), 1u);

    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "LaunchFailed");
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), 1u); // later entries are not tried
}

TEST_F(BatchRun, EntriesAddedDuringARunAreEncodedInIt) {
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));
    EXPECT_EQ(Progress().fileNumber, "Datei 1 von 1");
    AddFiles({"/x/b.wav", "/x/c.wav"});
    Press(cmd::SKIP);
    ASSERT_TRUE(Launched(2));
    EXPECT_TRUE(Eventually([&] { return Progress().fileNumber == "Datei 2 von 3"; }));
    encoder.SetMode("exit");
    Press(cmd::SKIP);
    ASSERT_TRUE(Launched(3));
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.Calls()[2], Arguments{"/x/c.wav"});
}

TEST_F(BatchRun, AListThatBecameShorterThanTheRunEndsIt) {
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav", "/x/b.wav", "/x/c.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));
    Press(cmd::SKIP);
    ASSERT_TRUE(Launched(2));
    // A list file opened during the run replaces the list with a shorter one.
    ASSERT_TRUE(window->Lock());
    window->filesList->Clear();
    window->Unlock();
    AddFiles({"/x/z.wav"});
    Press(cmd::SKIP);
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), 2u);
    EXPECT_EQ(State().fileIndex, 0);
}

TEST_F(BatchRun, OnlyTheNoticeOfTheEncoderLaunchedLastAdvancesTheRun) {
    // An encoder that ended before the run: its notice stands for one whose
    // process id the run's encoder was given since. Its launch number is not
    // 0, which a notice without the field would read as.
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    team_id ended = -1;
    int64 endedLaunch = 0;
    const char* const endedArgs[] = {"früher"};
    ASSERT_EQ(be_roster->Launch(&ref, 1, endedArgs, &ended, &endedLaunch), B_OK);
    ASSERT_TRUE(Launched(1));
    ASSERT_TRUE(Reaped(ended));

    encoder.SetMode("wait");
    AddFiles({"/x/a.wav", "/x/b.wav", "/x/c.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(2));
    const RunState first = State();
    ASSERT_GT(first.launch, endedLaunch);

    // Another executable's end, a notice without a ref, a team or a launch
    // number, another process of the encoder's own file, and an earlier
    // launch whose process id the encoder was given again, all during the run.
    entry_ref other;
    ASSERT_EQ(get_ref_for_path("/bin/sh", &other), B_OK);
    PostNotice(&other, first.team, first.launch);
    PostNotice(nullptr, first.team, first.launch);
    PostNotice(&first.ref, -1, first.launch);
    PostNotice(&first.ref, first.team, 0);
    PostNotice(&first.ref, first.team + 100000, first.launch);
    PostNotice(&first.ref, first.team, endedLaunch);
    encoder.SetMode("exit");
    team_id stranger = -1;
    const char* const strangerArgs[] = {"fremd"};
    ASSERT_EQ(be_roster->Launch(&first.ref, 1, strangerArgs, &stranger), B_OK);
    ASSERT_TRUE(Launched(3));
    ASSERT_TRUE(Reaped(stranger));
    SyncApplication();
    EXPECT_EQ(encoder.CountCalls(), 3u); // the ended one, the first entry, the stranger
    EXPECT_EQ(State().fileIndex, 1);

    // The encoder's own end does.
    encoder.SetMode("wait");
    PostNotice(&first.ref, first.team, first.launch);
    ASSERT_TRUE(Launched(4));
    EXPECT_EQ(encoder.Calls()[3], Arguments{"/x/b.wav"});
    const RunState second = State();
    EXPECT_EQ(second.fileIndex, 2);
    EXPECT_NE(second.team, first.team);
    EXPECT_GT(second.launch, first.launch + 1); // the stranger's came between
    kill_team(first.team);
    ASSERT_TRUE(Reaped(first.team));

    // Outside a run, not even the right notice does anything.
    Press(cmd::STOP);
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    ASSERT_TRUE(Reaped(second.team));
    PostNotice(&second.ref, second.team, second.launch);
    SyncApplication();
    EXPECT_EQ(encoder.CountCalls(), 4u);
    EXPECT_TRUE(Idle());
}

TEST_F(BatchRun, QuittingDuringARunStoresTheOptionsAndLeavesTheEncoderRunning) {
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));
    const team_id team = State().team;
    Press(cmd::CLOS);
    running.WaitForEnd();
    // The executable's attribute holds the path the run used.
    app_info info;
    ASSERT_EQ(running.app.GetAppInfo(&info), B_OK);
    char stored[1024] = {};
    BNode node(&info.ref);
    ASSERT_GT(node.ReadAttr("encoder_location", B_STRING_TYPE, 0, stored, sizeof stored), 0);
    EXPECT_EQ(std::string(stored), encoder.Path());
    EXPECT_EQ(kill_team(team), B_OK); // still ours and still there
    EXPECT_TRUE(Reaped(team));
}

TEST_F(BatchRun, EveryWayARunEndsStopsWatchingTheEncodersEnd) {
    // The run watches for quit notices only while it runs. The kit answers
    // B_BAD_VALUE to StopWatching for a target that no longer watches, so the
    // call tells whether the run's end stopped watching.
    struct Case {
        const char* name;
        std::function<void(size_t calls)> run; // calls: the launches so far
    };
    const Case cases[] = {
        {"after the last file",
         [&](size_t calls) {
             encoder.SetMode("exit");
             AddFiles({"/x/a.wav", "/x/b.wav"});
             Press(cmd::ENCD);
             ASSERT_TRUE(Launched(calls + 2));
         }},
        {"after \"Kodieren abbrechen\"",
         [&](size_t calls) {
             encoder.SetMode("wait");
             AddFiles({"/x/a.wav"});
             Press(cmd::ENCD);
             ASSERT_TRUE(Launched(calls + 1));
             const team_id team = State().team;
             // Watching ends before the encoder is killed, so its notice
             // never reaches the application.
             kill_probe::Start();
             Press(cmd::STOP);
             ASSERT_TRUE(Eventually([&] { return !State().running; }));
             const auto kills = kill_probe::Stop();
             ASSERT_EQ(kills.size(), 1u);
             EXPECT_EQ(kills[0].team, team);
             EXPECT_FALSE(kills[0].appWatching);
         }},
        {"after a failed launch",
         [&](size_t) {
             SetEncoderPath(encoder.dir.Write("nur text", "kein Programm\n"));
             AddFiles({"/x/a.wav"});
             Press(cmd::ENCD);
             auto alert = driver::AnswerAlert("OK");
             ASSERT_TRUE(alert.has_value());
             EXPECT_EQ(alert->title, "LaunchFailed");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(window->Lock());
        window->filesList->Clear();
        window->Unlock();
        SetEncoderPath(encoder.Path());
        c.run(encoder.CountCalls());
        ASSERT_TRUE(Eventually([&] { return Idle(); }));
        EXPECT_EQ(be_roster->StopWatching(BMessenger(be_app)), B_BAD_VALUE);
    }
}

TEST_F(BatchRun, TheProgressWindowsViewsStandWhereTheirTextsNeedThem) {
    ProgressWindow* progress = window->progressWindow;
    struct Row {
        const char* name;
        const char* text;
        uint32 flags;
    };
    const Row rows[] = {
        {"NowEncoding", "Bitte warten während der Kodierung von:", B_WILL_DRAW},
        {"FileName", "#", B_WILL_DRAW},
        {"FileNumber", "#", B_WILL_DRAW},
        {"SkipFile", "Datei auslassen", B_WILL_DRAW | B_NAVIGABLE},
        {"StopEncoding", "Kodieren abbrechen", B_WILL_DRAW | B_NAVIGABLE},
        {"FileProgress", "Fortschritt der Datei", B_WILL_DRAW},
    };
    ASSERT_TRUE(progress->Lock());
    BView* back = progress->backView;
    ASSERT_GE(back->CountChildren(), int32(std::size(rows)));
    std::vector<BRect> frames;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        BView* view = back->ChildAt(int32(i));
        ASSERT_NE(view, nullptr);
        EXPECT_STREQ(view->Name(), row.name);
        const char* text = nullptr;
        if (auto* label = dynamic_cast<BStringView*>(view))
            text = label->Text();
        else if (auto* button = dynamic_cast<BButton*>(view))
            text = button->Label();
        else if (auto* bar = dynamic_cast<BStatusBar*>(view))
            text = bar->Label();
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, row.text);
        EXPECT_EQ(view->ResizingMode(), uint32(B_FOLLOW_LEFT | B_FOLLOW_TOP));
        EXPECT_EQ(view->Flags(), row.flags);
        frames.push_back(view->Frame());
    }
    // The label and the buttons take their preferred sizes; the two lines
    // between keep fixed frames, 15 high and from x 5 to x 335.
    auto preferred = [&](int32 index, float left, float top) {
        float width = 0, height = 0;
        back->ChildAt(index)->GetPreferredSize(&width, &height);
        return BRect(left, top, left + width, top + height);
    };
    const float b2 = frames[0].bottom, b3 = frames[1].bottom, b4 = frames[2].bottom;
    EXPECT_EQ(frames[0], preferred(0, 5, 5));
    EXPECT_EQ(frames[1], BRect(5, b2 + 6, 335, b2 + 21));
    EXPECT_EQ(frames[2], BRect(5, b3 + 6, 335, b3 + 21));
    EXPECT_EQ(frames[3], preferred(3, 5, b4 + 6));
    EXPECT_EQ(frames[4], preferred(4, frames[3].right + 5, b4 + 6));
    // The bar spans the lines' width, one gap below the buttons, at the
    // style's height; nothing comes nearer than 5 to the window's bottom.
    const float b5 = frames[3].bottom;
    EXPECT_EQ(frames[5], BRect(5, b5 + 6, 335, preferred(5, 5, b5 + 6).bottom));
    EXPECT_LE(frames[5].bottom + 5, progress->Bounds().bottom);
    progress->Unlock();

    // Shown for a run, the display carries the same label and buttons.
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav"});
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));
    for (const Row& row : {rows[0], rows[3], rows[4]})
        EXPECT_TRUE(driver::WaitFor([&] {
            return driver::Widget(kProgressTitle, row.name).text == row.text;
        })) << row.name;
}
