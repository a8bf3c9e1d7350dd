#pragma once

// The program's application object. It holds the program options, makes
// the main window once the program is ready, remembers the files the program
// was started with, relays the file panels' replies and the encoder's quit
// notices to the main window, and shows the About box.

#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/app/BMessage.h>

class MainWindow;

// The application's signature, the list file type (spelled "Fronted"), the
// list file extension and the default encoder path.
constexpr const char* kAppSignature = "application/x-vnd.MirvexOggVorbisFrontend";
constexpr const char* kListMimeType = "text/x-MirvexOggVorbisFronted-list";
constexpr const char* kListExtension = "mvl";
constexpr const char* kDefaultEncoderPath = "/boot/home/config/bin/oggenc";
constexpr size_t kEncoderPathSize = 1024;
// How many encoders a run may keep at work at once: one by default, never
// more than this many.
constexpr int32 kMaxSimultaneousEncoders = 64;

class MFApp : public BApplication {
public:
    // Thread: main. Reads no options and makes no window.
    MFApp();
    ~MFApp() override;

    // Hooks. Thread: the application's.
    void MessageReceived(BMessage* message) override;
    void ReadyToRun() override;
    void RefsReceived(BMessage* message) override;
    void AboutRequested() override;

    // The options on the executable's attributes. ReadOptions runs once on
    // the application's thread before any window; WriteOptions once, on the
    // main window's quit.
    void ReadOptions();
    void WriteOptions();
    // The list file type in the desktop's file-type database.
    void RegisterMIMEType(bool showAlert);
    void UnregisterMIMEType();

    // The About box's text, line by line.
    static std::string AboutText();

    // Every file handed to the program while it was launching, in order, as
    // the field "refs"; the main window takes them as it takes files handed
    // over later.
    BMessage launchRefs{B_REFS_RECEIVED};
    MainWindow* mainWindow = nullptr;
    // The program options. Written only on the main window's thread after
    // start-up, read there and on the application's thread.
    char* encoderPath;
    bool dontCloseOnAdd = false;
    bool dontClearOnOpen = false;
    bool selfRegisterMimeType = true;
    // How many encoders a run keeps at work at once, always 1 to 64. A run
    // reads it once when it starts, so a change counts from the next run.
    // Thread: the main window's (and the application's before any window).
    int32 SimultaneousEncoders() const { return fSimultaneousEncoders; }
    // Takes any count and keeps it within 1 to 64.
    void SetSimultaneousEncoders(int32 count);

private:
    void RelayQuitNotice(BMessage* message);
    void RelayToMainWindow(BMessage* message);

    // Reaches the main window only while it lives.
    BMessenger fMainWindowMessenger;
    int32 fSimultaneousEncoders = 1;
};
