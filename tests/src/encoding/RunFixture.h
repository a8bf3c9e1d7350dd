#pragma once

// A running program with a stand-in encoder, and the means to drive a batch
// run as the user does and to read its state.

#include "src/app/RunningApp.h"

#include "StandInEncoder.h"

#include "app/Commands.h"
#include "encoding/EncoderView.h"
#include "encoding/ProgressWindow.h"
#include "filelist/FilesList.h"
#include "mainwindow/TabView.h"
#include <kit/app/BRoster.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BStringView.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>

constexpr const char* kProgressTitle = "Fortschritt der Kodierung";

struct RunState {
    bool running = false;
    int32 fileIndex = 0;
    team_id team = -1;
    int64 launch = 0;
    entry_ref ref;
};

struct ProgressState {
    bool hidden = true;
    BRect frame;
    std::string fileName;
    std::string fileNumber;
    bool skipEnabled = false;
    bool stopEnabled = false;
};

class RunFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.shown);
        window = running.window;
        fWindowMessenger = BMessenger(window);
        SetEncoderPath(encoder.Path());
    }

    void TearDown() override {
        // No stand-in may outlive the test.
        if (!fWindowMessenger.IsValid())
            return;
        Press(cmd::STOP);
        EXPECT_TRUE(Eventually([&] { return !State().running; }));
    }

    void SetEncoderPath(const std::string& path) {
        ASSERT_TRUE(window->Lock());
        std::strcpy(running.app.encoderPath, path.c_str());
        window->Unlock();
    }

    void AddFiles(const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            window->filesList->AddFile(path.c_str());
    }

    void Press(uint32 code) { ASSERT_EQ(fWindowMessenger.SendMessage(code), B_OK); }

    RunState State() {
        RunState state;
        if (!window->Lock())
            return state;
        state.running = window->running;
        state.fileIndex = window->fileIndex;
        state.team = window->encoderTeam;
        state.launch = window->encoderLaunch;
        state.ref = window->encoderRef;
        window->Unlock();
        return state;
    }

    ProgressState Progress() {
        ProgressState state;
        ProgressWindow* progress = window->progressWindow;
        if (!progress->Lock())
            return state;
        state.hidden = progress->IsHidden();
        state.frame = progress->Frame();
        state.fileName = progress->fileName->Text();
        state.fileNumber = progress->fileNumber->Text();
        state.skipEnabled = progress->skipButton->IsEnabled();
        state.stopEnabled = progress->stopButton->IsEnabled();
        progress->Unlock();
        return state;
    }

    bool Idle() { return !State().running && Progress().hidden; }

    // Waits until the stand-in has been launched count times in all, and
    // the last one has taken its mode.
    bool Launched(size_t count) {
        return encoder.WaitForCalls(count) && encoder.CountCalls() == count;
    }

    // Posts a quit notice to the application as the roster would, leaving
    // out a null ref, a negative team and a launch number of 0.
    static void PostNotice(const entry_ref* ref, team_id team, int64 launch) {
        BMessage notice(B_SOME_APP_QUIT);
        if (ref != nullptr)
            notice.AddRef("be:ref", ref);
        if (team >= 0)
            notice.AddInt32("be:team", team);
        if (launch != 0)
            notice.AddInt64("kit:launch", launch);
        ASSERT_EQ(be_app_messenger.SendMessage(&notice), B_OK);
    }

    // Everything posted to the application before this call has been handled
    // once it returns: the About box it asks for comes after them.
    // An alert the run showed before (one it should not have shown) fails
    // here, and is answered.
    static void SyncApplication() {
        ASSERT_EQ(be_app_messenger.SendMessage(B_ABOUT_REQUESTED), B_OK);
        auto shown = driver::AnswerAlert("Schließen");
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(shown->title, "AboutDialog") << shown->text;
        if (shown->title != "AboutDialog") {
            driver::AnswerAlert("OK");
            driver::AnswerAlert("Schließen");
        }
    }

    // Waits until a process that is no longer ours (a stand-in's own child)
    // is gone, or a zombie left for whoever adopted it.
    static bool Gone(pid_t pid) {
        return Eventually(
            [&] {
                const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
                const size_t close = stat.rfind(')');
                return close == std::string::npos || stat.compare(close, 3, ") Z") == 0;
            },
            std::chrono::seconds(30));
    }

    // Waits until a process of ours has ended and been reaped. Signal 0
    // only asks whether the process is there.
    static bool Reaped(team_id team) {
        return Eventually([&] { return ::kill(team, 0) != 0 && errno == ESRCH; });
    }

    StandInEncoder encoder;
    RunningApp running;
    MainWindow* window = nullptr;

private:
    BMessenger fWindowMessenger;
};
