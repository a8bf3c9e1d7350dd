#pragma once

// The application object: a looper whose thread runs the application's hooks,
// while the thread that calls Run (the process's main thread) runs the
// display. There is one per process, reached through be_app.

#include <kit/app/AppInfo.h>
#include <kit/app/BLooper.h>
#include <kit/app/BMessenger.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class BApplication : public BLooper {
public:
    // Thread: the main thread, which will call Run.
    explicit BApplication(const char* signature);
    ~BApplication() override;

    // Delivers the files named on the command line as one B_REFS_RECEIVED,
    // then B_READY_TO_RUN, runs the application's thread and the display, and
    // returns when the application has quit and every looper thread has
    // ended. When another instance of the program runs for the same user, the
    // files are handed to it instead and Run returns at once, without having
    // opened the display.
    // Thread: the one that made the application object.
    void Run() override;
    void Quit() override;
    // Asks every window to quit, in the order they were made; false as soon
    // as one refuses. Thread: the application's.
    bool QuitRequested() override;

    // Hooks. Thread: the application's.
    virtual void ReadyToRun();
    virtual void RefsReceived(BMessage* message);
    virtual void AboutRequested();
    void DispatchMessage(BMessage* message, BHandler* handler) override;

    // True until ReadyToRun has returned. Thread: any.
    bool IsLaunching() const { return fLaunching.load(); }
    // Thread: any.
    [[nodiscard]] status_t GetAppInfo(app_info* info) const;
    const char* Signature() const { return fSignature.c_str(); }
    int32 CountWindows() const;

    // The program's name as the user reads it, shown in the title bars of
    // its alerts and given to the desktop entry the kit may write for it.
    // Thread: any.
    void SetProgramName(const char* name);

    // Where the command-line files come from; the program reads its own
    // command line. Tests hand in their own. Qt's own options among them
    // ("-style Fusion", ...) go to the display, not to the files; "--" ends
    // the options. Thread: before Run.
    void SetLaunchArguments(std::vector<std::string> arguments);

protected:
    void LoopEnded() override;

private:
    static std::vector<std::string> LaunchPaths(const std::vector<std::string>& files);
    void DeliverLaunchFiles(const std::vector<std::string>& paths);

    std::string fSignature;
    std::atomic<bool> fLaunching{true};
    bool fRunsDisplay = false;
    bool fHasArguments = false;
    std::vector<std::string> fArguments;
};

// The application object of this process, and a messenger to it.
extern BApplication* be_app;
extern BMessenger be_app_messenger;
