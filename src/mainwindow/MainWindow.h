#pragma once

// The program's document window: the menus "Liste" and "Hilfe", a tab view
// with the three pages, and the buttons "Kodieren!" and "Beenden". Nearly
// every command of the program arrives here.

#include <kit/interface/BWindow.h>
#include <kit/kernel/OS.h>
#include <kit/storage/entry_ref.h>

class BButton;
class BMenuBar;
class BView;
class FilesList;
class ProgressWindow;
class TabView;

class MainWindow : public BWindow {
public:
    // listFile is null, or the file the program was started with. Thread:
    // the application's; the window is not shown yet.
    explicit MainWindow(entry_ref* listFile);
    ~MainWindow() override;

    // Hooks. Thread: the window's; the application's thread calls them too,
    // with the window locked, for the relayed panel replies.
    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;

    // Files handed to the running program. Thread: the application's, locked.
    void RefsReceived(BMessage* message);
    // Encodes the next entry of the list, or ends the run. Thread: the
    // window's or the application's, with the window locked.
    void EncodeNext();
    // Whether a quit notice names the encoder this run launched last: its
    // executable and its process id. Thread: the window's lock holder.
    bool IsEncoderNotice(const entry_ref& ref, team_id team) const;

    // The window's state, shared with the application object and the pages.
    BView* backView;
    BButton* closeButton;
    BButton* encodeButton;
    ProgressWindow* progressWindow;
    BMenuBar* menuBar;
    char optionsBefore[256];
    char optionsAfter[256];
    int32 fileIndex;
    team_id encoderTeam = -1;
    entry_ref encoderRef;
    FilesList* filesList = nullptr;
    TabView* tabView;
    bool running;

private:
    void BuildMenus();
    // The open and save panels' choices.
    void OpenChosenList(BMessage* message);
    void SaveChosenList(BMessage* message);
    // The batch run's steps: "ENCD", "SKIP", "STOP" and the end of a run.
    void StartRun();
    void SkipFile();
    void StopRun();
    void EndRun();
};
