#include "support/DisplayDriver.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class ProbeWindow : public BWindow {
public:
    ProbeWindow(const char* title, std::atomic<int>* quits)
        : BWindow(BRect(10, 10, 109, 109), title, B_TITLED_WINDOW, 0), fQuits(quits) {}
    bool QuitRequested() override {
        ++*fQuits;
        return true;
    }

private:
    std::atomic<int>* fQuits;
};

// Opens two windows when ready and records the refs it is handed.
class ProbeApp : public BApplication {
public:
    ProbeApp() : BApplication("application/x-vnd.KitProbe") {}

    void ReadyToRun() override {
        readyWhileLaunching = IsLaunching();
        (new ProbeWindow("Erstes", &windowQuits))->Show();
        (new ProbeWindow("Zweites", &windowQuits))->Show();
        ready = true;
    }
    void RefsReceived(BMessage* message) override {
        entry_ref ref;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; ++i)
            refs.push_back({ref.path, IsLaunching()});
    }
    void AboutRequested() override { ++abouts; }

    struct Received {
        std::string path;
        bool launching;
    };
    std::vector<Received> refs;
    std::atomic<bool> ready{false};
    bool readyWhileLaunching = false;
    std::atomic<int> windowQuits{0};
    std::atomic<int> abouts{0};
};

} // namespace

TEST(Application, LaunchFilesArriveAsOneRefsMessageBeforeReadyAndQuitClosesEveryWindow) {
    TempDir dir;
    std::string a = dir.Write("a.mvl", "");
    std::string b = dir.Write("b b.wav", "");
    ProbeApp app;
    EXPECT_EQ(be_app, &app);
    EXPECT_TRUE(app.IsLaunching());
    app.SetLaunchArguments({a, b, dir.File("missing/x.wav")});

    std::thread running([&] { app.Run(); });
    ASSERT_TRUE(driver::WaitFor([&] { return app.ready.load(); }));
    EXPECT_TRUE(driver::WaitFor([] { return driver::Window("Zweites").visible; }));
    EXPECT_EQ(app.CountWindows(), 2);

    // A refs message after start-up is no longer part of the launch.
    entry_ref later;
    ASSERT_EQ(get_ref_for_path(b.c_str(), &later), B_OK);
    BMessage refs(B_REFS_RECEIVED);
    refs.AddRef("refs", &later);
    be_app_messenger.SendMessage(&refs);
    be_app_messenger.SendMessage(B_ABOUT_REQUESTED);
    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
    running.join();

    EXPECT_TRUE(app.readyWhileLaunching);
    ASSERT_EQ(app.refs.size(), 3u);
    EXPECT_EQ(app.refs[0].path, a);
    EXPECT_TRUE(app.refs[0].launching);
    EXPECT_EQ(app.refs[1].path, b);
    EXPECT_TRUE(app.refs[1].launching);
    EXPECT_EQ(app.refs[2].path, b);
    EXPECT_FALSE(app.refs[2].launching);
    EXPECT_EQ(app.abouts.load(), 1);
    EXPECT_EQ(app.windowQuits.load(), 2);
    EXPECT_EQ(app.CountWindows(), 0);
    driver::Settle();
    EXPECT_FALSE(driver::Window("Erstes").exists);
    EXPECT_FALSE(driver::Window("Zweites").exists);
}

TEST(Application, GetAppInfoNamesTheRunningExecutable) {
    ProbeApp app;
    app_info info;
    ASSERT_EQ(app.GetAppInfo(&info), B_OK);
    EXPECT_EQ(info.signature, "application/x-vnd.KitProbe");
    EXPECT_EQ(info.team, static_cast<team_id>(::getpid()));
    char self[4096];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    EXPECT_EQ(info.ref.path, std::string(self, static_cast<size_t>(length)));
}
