#pragma once

// The program's document window: the menus "Liste" and "Hilfe", a tab view
// with the three pages, and the buttons "Kodieren!" and "Beenden". Nearly
// every command of the program arrives here.

#include "encoding/EncodeErrors.h"
#include <kit/interface/BWindow.h>
#include <kit/kernel/OS.h>
#include <kit/storage/entry_ref.h>

#include <string>

class BButton;
class BMenuBar;
class BView;
class FilesList;
class OptionsView;
class ProgressWindow;
class TabView;

class MainWindow : public BWindow {
public:
    // launchRefs is null, or the files the program was started with (the
    // field "refs"), taken as RefsReceived takes files handed over later.
    // Thread: the application's; the window is not shown yet.
    explicit MainWindow(BMessage* launchRefs);
    ~MainWindow() override;

    // Hooks. Thread: the window's; the application's thread calls them too,
    // with the window locked, for the relayed panel replies.
    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;

    // Files handed to the running program: each is added to the list in
    // order, until a list file, which is loaded and ends the walk. Thread:
    // the application's, locked.
    void RefsReceived(BMessage* message);
    // Encodes the next entry of the list, or ends the run. Thread: the
    // window's or the application's, with the window locked.
    void EncodeNext();
    // Whether a quit notice names the encoder this run launched last: its
    // executable, its process id and its launch number, which alone tells it
    // from an earlier encoder that had the same process id. Thread: the
    // window's lock holder.
    bool IsEncoderNotice(const entry_ref& ref, team_id team, int64 launch) const;
    // Brings the files page to the front. Thread: the window's lock holder.
    void ShowFilesPage();
    // Notes the entry being encoded as failed if the quit notice of its
    // encoder says so, unless "Datei auslassen" ended it. Thread: the
    // window's lock holder, before EncodeNext.
    void NoteEncoderEnd(const BMessage* notice);

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
    int64 encoderLaunch = 0;
    entry_ref encoderRef;
    // The entry the running encoder was started for, whatever happens to the
    // list meanwhile; whether the run ended that encoder itself; the entries
    // that failed so far.
    std::string encodingPath;
    bool encoderKilled = false;
    EncodeErrors encodeErrors;
    FilesList* filesList = nullptr;
    TabView* tabView;
    bool running;

private:
    void BuildMenus();
    // Whether a handed file is a list file: by its type, or by its name or
    // the name of the file a link leads to (path, null when unresolved).
    static bool IsListFile(const entry_ref& ref, const char* path);
    OptionsView* OptionsPage() const;
    // The open and save panels' choices.
    void OpenChosenList(BMessage* message);
    void SaveChosenList(BMessage* message);
    // "Liesmich": the readme beside the running executable.
    void OpenReadme();
    // "Hinzufügen...": the add-files panel, set up from the option
    // dontCloseOnAdd each time it is shown.
    void ShowAddPanel();
    // The program options page's commands. They change the options in
    // memory; the window's quit writes them.
    void StoreEncoderPath();
    void ShowEncoderPanel();
    void TakeChosenEncoder(BMessage* message);
    // The batch run's steps: "ENCD", "SKIP", "STOP" and the end of a run.
    void StartRun();
    void SkipFile();
    void StopRun();
    void EndRun();
    // Shows the entry at fileIndex of count in the progress window and
    // starts its encoder; answers how the launch went.
    status_t LaunchEncoder(const char* path, int32 count);
};
