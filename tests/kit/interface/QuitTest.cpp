// How an application and its windows end: a window is asked at most once per
// quit, and every way of ending ends every looper, so that Run returns.

#include "support/DisplayDriver.h"
#include "support/Notice.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <thread>

namespace {

constexpr uint32 kShowAlert = four_cc("ALRT");
constexpr uint32 kQuitApp = four_cc("QAPP");

// Counts what happens to every window of one run.
struct Tally {
    std::atomic<int> asked{0};
    std::atomic<int> deleted{0};
    std::atomic<int> alertAnswer{-2};
    std::atomic<bool> inAlert{false};
};

// Agrees to quit and asks the application to quit too, as the program's
// main window does when its close box is clicked.
class DocumentWindow : public BWindow {
public:
    DocumentWindow(const char* title, Tally* tally)
        : BWindow(BRect(20, 20, 219, 119), title, B_TITLED_WINDOW, 0), fTally(tally) {}
    ~DocumentWindow() override { ++fTally->deleted; }

    bool QuitRequested() override {
        ++fTally->asked;
        be_app->PostMessage(B_QUIT_REQUESTED);
        return true;
    }
    void MessageReceived(BMessage* message) override {
        if (message->what != kShowAlert) {
            BWindow::MessageReceived(message);
            return;
        }
        fTally->inAlert = true;
        fTally->alertAnswer = (new BAlert("Wartet", "Niemand antwortet.", "OK"))->Go();
    }

private:
    Tally* fTally;
};

class QuitProbeApp : public BApplication {
public:
    explicit QuitProbeApp(Tally* tally)
        : BApplication("application/x-vnd.KitQuitProbe"), fTally(tally) {}

    void ReadyToRun() override {
        document = new DocumentWindow("Dokument", fTally);
        document->Show();
        // A second window that waits in an alert, and one never shown.
        auto* busy = new DocumentWindow("Beschäftigt", fTally);
        busy->Show();
        busyWindow = BMessenger(busy);
        new DocumentWindow("Nie gezeigt", fTally);
        ready.Give();
    }
    void MessageReceived(BMessage* message) override {
        if (message->what == kQuitApp)
            Quit();
        else
            BApplication::MessageReceived(message);
    }

    DocumentWindow* document = nullptr;
    BMessenger busyWindow;
    Notice ready;

private:
    Tally* fTally;
};

} // namespace

TEST(Quit, AWindowThatAgreedToQuitIsNeverAskedAgain) {
    // Its close box asks the window, which asks the application, which asks
    // every window that has not quit yet: the first window must not be among
    // them, however the threads interleave.
    constexpr int kRounds = 300;
    int askedTwice = 0;
    for (int round = 0; round < kRounds; ++round) {
        Tally tally;
        QuitProbeApp app(&tally);
        app.SetLaunchArguments({});
        std::thread running([&] { app.Run(); });
        ASSERT_TRUE(app.ready.Wait());
        BMessenger(app.document).SendMessage(B_QUIT_REQUESTED);
        running.join();
        if (tally.asked.load() != 3) // each of the three windows once
            ++askedTwice;
        EXPECT_EQ(tally.deleted.load(), 3);
    }
    EXPECT_EQ(askedTwice, 0) << "of " << kRounds << " rounds";
}

TEST(Quit, EveryWayOfEndingEndsEveryWindowAndRunReturns) {
    struct Way {
        const char* name;
        bool alertOpen; // one window waits in an alert meanwhile
        std::function<void(QuitProbeApp&)> end;
    };
    const Way ways[] = {
        {"the application's own Quit", true,
         [](QuitProbeApp&) { be_app_messenger.SendMessage(kQuitApp); }},
        {"Quit from another thread", true,
         [](QuitProbeApp& app) {
             ASSERT_TRUE(app.Lock());
             app.Quit();
         }},
        {"B_QUIT_REQUESTED", false,
         [](QuitProbeApp&) { be_app_messenger.SendMessage(B_QUIT_REQUESTED); }},
        {"SIGTERM", false, [](QuitProbeApp&) { ::kill(::getpid(), SIGTERM); }},
        {"SIGINT", false, [](QuitProbeApp&) { ::kill(::getpid(), SIGINT); }},
        {"SIGHUP", false, [](QuitProbeApp&) { ::kill(::getpid(), SIGHUP); }},
    };
    for (const Way& way : ways) {
        Tally tally;
        QuitProbeApp app(&tally);
        app.SetLaunchArguments({});
        std::thread running([&] { app.Run(); });
        ASSERT_TRUE(app.ready.Wait()) << way.name;
        if (way.alertOpen) {
            app.busyWindow.SendMessage(kShowAlert);
            ASSERT_TRUE(driver::WaitFor([&] { return tally.inAlert.load(); })) << way.name;
            ASSERT_TRUE(driver::WaitFor([] { return driver::AlertShown("Wartet"); })) << way.name;
        }
        way.end(app);
        running.join();
        EXPECT_EQ(tally.deleted.load(), 3) << way.name;
        EXPECT_EQ(app.CountWindows(), 0) << way.name;
        if (way.alertOpen) {
            EXPECT_EQ(tally.alertAnswer.load(), -1) << way.name << ": the alert had no answer";
        }
        driver::Settle();
        EXPECT_FALSE(driver::AlertShown("Wartet")) << way.name;
        EXPECT_FALSE(driver::Window("Dokument").exists) << way.name;
    }
}
