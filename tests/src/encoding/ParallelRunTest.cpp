// Runs with several encoders at once, against the stand-in: how many are at
// work, who waits for whom, what lands on disk, what a skip, a stop and a
// failed launch end, and how the progress window shows the rows.

#include "RunFixture.h"

#include "encoding/ProgressRow.h"
#include "support/ControlDriver.h"
#include <kit/interface/BScrollView.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BStringItem.h>
#include <kit/interface/BTextControl.h>
#include <kit/kernel/private/ChildWatcher.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <sys/stat.h>

namespace {

QWidget* ProgressWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == kProgressTitle)
            return widget;
    return nullptr;
}

} // namespace

class ParallelRun : public RunFixture {
protected:
    // The count is an option, stored on the executable when the program
    // quits: the tests after these must find it at 1 again.
    void TearDown() override {
        RunFixture::TearDown();
        if (window != nullptr && window->Lock()) {
            running.app.SetSimultaneousEncoders(1);
            window->Unlock();
        }
    }

    void SetPlaces(int32 places, const char* extra = "") {
        ASSERT_TRUE(window->Lock());
        running.app.SetSimultaneousEncoders(places);
        window->tabView->encoderView->extraParam->SetText(extra);
        window->Unlock();
    }

    int32 AtWork() {
        BAutolock lock(window);
        return lock.IsLocked() ? window->run.CountAtWork() : -1;
    }

    // The list's texts, to see that the run leaves it as it was.
    std::vector<std::string> ListTexts() {
        std::vector<std::string> texts;
        BAutolock lock(window);
        for (int32 i = 0; i < window->filesList->CountItems(); ++i)
            texts.push_back(static_cast<BStringItem*>(window->filesList->ItemAt(i))->Text());
        return texts;
    }

    // Presses the row's "Datei auslassen" as its button would.
    void PressSkipOf(const std::string& leaf) {
        ProgressWindow* progress = window->progressWindow;
        BMessage skip;
        ASSERT_TRUE(progress->Lock());
        for (int32 i = 0; i < progress->CountRows(); ++i)
            if (ProgressRow* row = progress->RowAt(i);
                row->InUse() && leaf == row->fileName->Text())
                skip = *row->skipButton->Message();
        progress->Unlock();
        ASSERT_EQ(skip.what, cmd::SKIP) << leaf;
        ASSERT_EQ(BMessenger(window).SendMessage(&skip), B_OK);
    }

    TempDir music;
};

TEST_F(ParallelRun, AtMostTheChosenNumberWorkAtOnceAndEveryEntryOnceInListOrder) {
    struct Case {
        int32 places;
        const char* extra;
        size_t most;
    };
    const Case cases[] = {{3, "", 3}, {3, "-o x.ogg", 1}, {4, "--output=x.ogg", 1}};
    size_t callsBefore = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        ASSERT_TRUE(window->Lock());
        window->filesList->Clear();
        window->Unlock();
        std::vector<std::string> files;
        for (int i = 0; i < 10; ++i)
            files.push_back(music.File(std::string(c.extra).empty() ? "" : "o") +
                            std::to_string(i) + ".wav");
        AddFiles(files);
        SetPlaces(c.places, c.extra);
        ::unlink(encoder.dir.File("gate").c_str());
        ::unlink(encoder.dir.File("events").c_str());
        encoder.SetMode("gated");
        Press(cmd::ENCD);

        // The first ones wait at the gate: as many as may work at once, and
        // no more processes than that.
        ASSERT_TRUE(Launched(callsBefore + c.most));
        EXPECT_EQ(AtWork(), int32(c.most));
        EXPECT_EQ(kit_private::ChildWatcher::Instance().CountChildren(), int32(c.most));
        EXPECT_EQ(encoder.CountCalls(), callsBefore + c.most);
        encoder.OpenGate();
        bool withinBound = true;
        ASSERT_TRUE(Eventually([&] {
            withinBound = withinBound &&
                          kit_private::ChildWatcher::Instance().CountChildren() <= int32(c.most);
            return Idle();
        }));
        EXPECT_TRUE(withinBound);
        SyncApplication();
        EXPECT_EQ(encoder.MostAtOnce(), c.most);

        // Each entry once (the stand-ins at work together write their notes
        // in any order); the list as it was.
        const auto calls = encoder.Calls();
        ASSERT_EQ(calls.size(), callsBefore + files.size());
        std::vector<std::string> encoded;
        for (size_t i = callsBefore; i < calls.size(); ++i)
            encoded.push_back(calls[i].back());
        std::sort(encoded.begin(), encoded.end());
        EXPECT_EQ(encoded, files);
        EXPECT_EQ(ListTexts(), files);
        callsBefore = calls.size();
    }
}

TEST_F(ParallelRun, AnEntryWithTheSameOutputWaitsAndItsFileWins) {
    struct Case {
        std::vector<std::string> leaves; // the first and the last write one file
        std::string output;
    };
    ASSERT_EQ(::mkdir(music.File("d").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(music.File("alt.d").c_str(), 0755), 0);
    const Case cases[] = {
        {{"d/a.wav", "d/b.wav", "d/a.flac"}, "d/a.ogg"},
        {{"alt.d/eins", "d/c.wav", "alt.d/zwei"}, "alt.ogg"},
    };
    size_t callsBefore = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        ASSERT_TRUE(window->Lock());
        window->filesList->Clear();
        window->Unlock();
        std::vector<std::string> files;
        for (const std::string& leaf : c.leaves)
            files.push_back(music.File(leaf));
        AddFiles(files);
        SetPlaces(3);
        ::unlink(encoder.dir.File("gate").c_str());
        encoder.SetMode("gated");
        Press(cmd::ENCD);

        // The third waits for the first, however many places are free.
        ASSERT_TRUE(Launched(callsBefore + 2));
        EXPECT_EQ(AtWork(), 2);
        std::vector<std::string> started = {encoder.Calls()[callsBefore].back(),
                                            encoder.Calls()[callsBefore + 1].back()};
        std::sort(started.begin(), started.end());
        EXPECT_EQ(started, (std::vector<std::string>{files[0], files[1]}));
        encoder.OpenGate();
        ASSERT_TRUE(Eventually([&] { return Idle(); }));
        SyncApplication();
        const auto records = encoder.Records();
        ASSERT_EQ(records.size(), callsBefore + 3);
        auto pidOf = [&](const std::string& file) {
            for (size_t i = callsBefore; i < records.size(); ++i)
                if (records[i].arguments.back() == file)
                    return records[i].pid;
            return pid_t(0);
        };
        const pid_t first = pidOf(files[0]), last = pidOf(files[2]);
        const std::vector<pid_t> events = encoder.Events();
        const auto firstEnd = std::find(events.begin(), events.end(), -first);
        const auto lastStart = std::find(events.begin(), events.end(), last);
        EXPECT_LT(firstEnd, lastStart) << "the later entry started before the earlier ended";
        EXPECT_EQ(ReadFileText(music.File(c.output)), files[2]);
        callsBefore = records.size();
    }
}

TEST_F(ParallelRun, SkipEndsOnlyItsEncoderAndStopEndsAll) {
    encoder.SetMode("byname");
    ASSERT_EQ(::mkdir(music.File("a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(music.File("c").c_str(), 0755), 0);
    AddFiles({music.File("a/gated.wav"), music.File("wrapper.wav"), music.File("c/gated.wav")});
    SetPlaces(3);
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(3));
    std::string child;
    ASSERT_TRUE(
        Eventually([&] { return !(child = ReadFileText(encoder.dir.File("child"))).empty(); }));
    // The wrapper's row: it and its child end; the other two go on.
    ASSERT_TRUE(Eventually([&] {
        ProgressWindow* progress = window->progressWindow;
        BAutolock lock(progress);
        for (int32 i = 0; i < progress->CountRows(); ++i)
            if (ProgressRow* row = progress->RowAt(i);
                row->InUse() && std::string(row->fileName->Text()) == "wrapper.wav")
                return row->skipButton->IsEnabled();
        return false;
    }));
    PressSkipOf("wrapper.wav");
    EXPECT_TRUE(Gone(std::stoi(child)));
    // The stand-ins at work together write their notes in any order.
    std::map<std::string, pid_t> pids;
    for (const auto& record : encoder.Records())
        pids[record.arguments.back()] = record.pid;
    ASSERT_TRUE(Reaped(pids[music.File("wrapper.wav")]));
    ASSERT_TRUE(Eventually([&] { return AtWork() == 2; }));
    EXPECT_EQ(::kill(pids[music.File("a/gated.wav")], 0), 0);
    EXPECT_EQ(::kill(pids[music.File("c/gated.wav")], 0), 0);
    encoder.OpenGate();
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    SyncApplication(); // nothing failed: the skipped one is no failure
    EXPECT_EQ(ReadFileText(music.File("a/gated.ogg")), music.File("a/gated.wav"));
    EXPECT_EQ(ReadFileText(music.File("c/gated.ogg")), music.File("c/gated.wav"));

    // "Kodieren abbrechen" ends every encoder at work, and the run.
    encoder.SetMode("wait");
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(6));
    Press(cmd::STOP);
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    for (size_t i = 3; i < 6; ++i)
        EXPECT_TRUE(Reaped(encoder.Records()[i].pid)) << i;
    SyncApplication();
}

TEST_F(ParallelRun, FailuresAreToldInListOrder) {
    encoder.SetMode("byname");
    for (const char* folder : {"a", "b", "c"})
        ASSERT_EQ(::mkdir(music.File(folder).c_str(), 0755), 0);
    // The first fails last, once the gate opens; the second at once.
    AddFiles({music.File("a/gatedfail.wav"), music.File("b/fail.wav"), music.File("c/gated.wav")});
    SetPlaces(3);
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(3));
    ASSERT_TRUE(Eventually([&] { return AtWork() == 2; }));
    encoder.OpenGate();
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "EncodeErrors");
    EXPECT_EQ(alert->text, "Diese Dateien konnten nicht kodiert werden:\n\n"
                           "gatedfail.wav: ERROR: gated\n"
                           "fail.wav: mit Status 1 beendet");
    EXPECT_TRUE(Eventually([&] { return Idle(); }));
}

TEST_F(ParallelRun, AFailedLaunchLetsTheOthersFinishAndHoldsNothingUp) {
    // The third takes the stand-in's execute permission away: the launch of
    // the fourth fails while the first two wait at the gate.
    encoder.SetMode("byname");
    for (const char* folder : {"a", "b"})
        ASSERT_EQ(::mkdir(music.File(folder).c_str(), 0755), 0);
    AddFiles({music.File("a/gated.wav"), music.File("b/gated.wav"), music.File("break.wav"),
              music.File("d.wav"), music.File("e.wav")});
    SetPlaces(3);
    Press(cmd::ENCD);
    ASSERT_TRUE(driver::WaitFor([] { return driver::AlertShown("LaunchFailed"); },
                                std::chrono::seconds(60)));
    // The alert blocks no window: the progress window's buttons stay usable.
    EXPECT_TRUE(driver::OnDisplay<bool>([] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = dynamic_cast<QMessageBox*>(widget); box && box->isVisible())
                return box->windowModality() == Qt::NonModal &&
                       QApplication::activeModalWidget() == ProgressWidget();
        return false;
    }));
    EXPECT_TRUE(State().running);
    EXPECT_EQ(AtWork(), 2);
    // Their quit notices still come through: the run ends with them, the
    // alert still open.
    encoder.OpenGate();
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), 3u);
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "LaunchFailed");
    ::chmod(encoder.Path().c_str(), 0755);
    SyncApplication();
}

TEST_F(ParallelRun, TheProgressWindowShowsARowPerEncoderAndTheWholeRun) {
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");
    encoder.SetMode("gated");
    std::vector<std::string> files;
    for (const char* leaf : {"Erster Satz.wav", "Zweiter Satz.wav", "Dritter Satz.wav",
                             "Vierter Satz.wav", "Zugabe.wav", "Applaus.wav"})
        files.push_back(music.File(leaf));
    AddFiles(files);
    SetPlaces(4);
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(4));
    ProgressWindow* progress = window->progressWindow;
    // Rows are made for the run's largest count; four show, one per encoder.
    ASSERT_TRUE(Eventually([&] {
        BAutolock lock(progress);
        int32 shown = 0;
        for (int32 i = 0; i < progress->CountRows(); ++i)
            shown += progress->RowAt(i)->Parent() != nullptr ? 1 : 0;
        return progress->CountRows() == 4 && shown == 4 &&
               std::string(progress->runTotal->Text()) == "0 von 6 Dateien fertig";
    }));
    // Each row shows its own file and its own encoder's figure.
    ASSERT_TRUE(Eventually([&] {
        BAutolock lock(progress);
        for (int32 i = 0; i < 4; ++i) {
            ProgressRow* row = progress->RowAt(i);
            team_id team = -1;
            row->skipButton->Message()->FindInt32("be:team", &team);
            if (row->fileProgress->IsBusy() ||
                row->fileProgress->CurrentValue() != float(team % 90 + 5))
                return false;
        }
        return true;
    }));
    ASSERT_TRUE(progress->Lock());
    std::vector<std::string> shownNames;
    for (int32 i = 0; i < 4; ++i) {
        ProgressRow* row = progress->RowAt(i);
        const std::string leaf = row->fileName->Text();
        shownNames.push_back(leaf);
        EXPECT_EQ(row->skipButton->AccessibleLabel(), "Datei auslassen: " + leaf);
        EXPECT_TRUE(row->skipButton->IsEnabled());
    }
    progress->Unlock();
    std::sort(shownNames.begin(), shownNames.end());
    EXPECT_EQ(shownNames, (std::vector<std::string>{"Dritter Satz.wav", "Erster Satz.wav",
                                                    "Vierter Satz.wav", "Zweiter Satz.wav"}));

    // On the screen: every row's button is reachable by Tab, says which
    // file it skips, and lies inside the window.
    driver::Settle();
    driver::Picture picture = driver::Grab(
        kProgressTitle, folder != nullptr ? std::string(folder) + "/progress-four.png" : "");
    const auto buttons = driver::OnDisplay<std::vector<std::pair<std::string, QRect>>>([] {
        std::vector<std::pair<std::string, QRect>> found;
        QWidget* top = ProgressWidget();
        for (QPushButton* button : top->findChildren<QPushButton*>())
            if (button->isVisible() && (button->focusPolicy() & Qt::TabFocus))
                found.emplace_back(button->accessibleName().toStdString(),
                                   QRect(button->mapTo(top, QPoint(0, 0)), button->size()));
        return found;
    });
    std::vector<std::string> names;
    for (const auto& [name, area] : buttons) {
        names.push_back(name);
        EXPECT_GE(area.left(), 3) << name;
        EXPECT_LE(area.right(), picture.width - 4) << name;
        EXPECT_LE(area.bottom(), picture.height - 4) << name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Datei auslassen: Dritter Satz.wav", "Datei auslassen: Erster Satz.wav",
                         "Datei auslassen: Vierter Satz.wav", "Datei auslassen: Zweiter Satz.wav",
                         "Kodieren abbrechen"}));

    encoder.OpenGate();
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), files.size());

    // The next run with one place shows the single file's window again.
    SetPlaces(1);
    ::unlink(encoder.dir.File("gate").c_str());
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(files.size() + 1));
    EXPECT_TRUE(driver::WaitFor(
        [&] { return driver::Widget(kProgressTitle, "FileName").text == "\"" + files[0] + "\""; }));
    ASSERT_TRUE(progress->Lock());
    EXPECT_EQ(progress->Bounds().Width(), 340);
    EXPECT_EQ(progress->fileName->Parent(), progress->backView);
    EXPECT_EQ(progress->rowsScroll->Parent(), nullptr);
    progress->Unlock();
    Press(cmd::STOP);
}

TEST_F(ParallelRun, AChangedCountHoldsFromTheNextRunNotForTheOneUnderWay) {
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i)
        files.push_back(music.File("n" + std::to_string(i) + ".wav"));
    AddFiles(files);
    SetPlaces(1);
    encoder.SetMode("gated");
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(1));

    // The user raises the count on the options page while the run goes on.
    ASSERT_TRUE(driver::StepNumber(kMainTitle, "SimultaneousEncoders", 2));
    ASSERT_TRUE(Eventually([&] {
        BAutolock lock(window);
        return running.app.SimultaneousEncoders() == 3;
    }));
    // The first file skipped: the run goes on with one encoder at a time.
    Press(cmd::SKIP);
    ASSERT_TRUE(Launched(2));
    EXPECT_EQ(AtWork(), 1);
    encoder.OpenGate();
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    SyncApplication();

    ::unlink(encoder.dir.File("gate").c_str());
    Press(cmd::ENCD);
    ASSERT_TRUE(Launched(files.size() + 3));
    EXPECT_EQ(AtWork(), 3);
    encoder.OpenGate();
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(encoder.CountCalls(), 2 * files.size());
}
