#pragma once

// Runs the program's application object on a thread of the test, as main
// would, and waits until the main window is on the screen.

#include "app/MFApp.h"
#include "mainwindow/MainWindow.h"
#include "support/DisplayDriver.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BAutolock.h>

#include <gtest/gtest.h>

#include <thread>

constexpr const char* kMainTitle = "Mirvex OggVorbis Frontend 1.2a";

class RunningApp {
public:
    explicit RunningApp(std::vector<std::string> arguments = {}) {
        app.SetLaunchArguments(std::move(arguments));
        fRunner = std::thread([this] { app.Run(); });
        shown = driver::WaitFor([] { return driver::Window(kMainTitle).visible; });
        // Taking the application's lock orders this thread after ReadyToRun.
        if (BAutolock lock(app); lock.IsLocked())
            window = app.mainWindow;
    }

    ~RunningApp() {
        if (fRunner.joinable()) {
            be_app_messenger.SendMessage(B_QUIT_REQUESTED);
            fRunner.join();
        }
    }

    // Waits until Run has returned.
    void WaitForEnd() {
        if (fRunner.joinable())
            fRunner.join();
    }

    MFApp app;
    MainWindow* window = nullptr;
    bool shown = false;

private:
    std::thread fRunner;
};
