#pragma once

// The program's document window: the menus "Liste" and "Hilfe", a tab view
// with the three pages, and the buttons "Kodieren!" and "Beenden". Nearly
// every command of the program arrives here.

#include "encoding/EncodingRun.h"
#include "encoding/RunHost.h"
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

class MainWindow : public BWindow, private RunHost {
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
    // Encodes the next entries of the list while places are free, or ends
    // the run. Thread: the window's or the application's, with the window
    // locked.
    void EncodeNext();
    // Whether a quit notice names an encoder of this run at work: its
    // executable, its process id and its launch number, which alone tells it
    // from an earlier encoder that had the same process id. Thread: the
    // window's lock holder.
    bool IsEncoderNotice(const entry_ref& ref, team_id team, int64 launch) const;
    // Brings the files page to the front. Thread: the window's lock holder.
    void ShowFilesPage();
    // The encoder the quit notice names has ended: its entry is noted as
    // failed if the notice says so, unless "Datei auslassen" ended it.
    // Thread: the window's lock holder, before EncodeNext.
    void NoteEncoderEnd(const BMessage* notice);

    // The window's state, shared with the application object and the pages.
    BView* backView;
    BButton* closeButton;
    BButton* encodeButton;
    ProgressWindow* progressWindow;
    BMenuBar* menuBar;
    char optionsBefore[256];
    char optionsAfter[256];
    // The batch run: its state and its decisions. The members after it show
    // what it holds: the first entry not started yet, the encoder launched
    // last, and whether a run is under way.
    EncodingRun run{*this};
    const int32& fileIndex = run.NextIndex();
    const team_id& encoderTeam = run.LastTeam();
    const int64& encoderLaunch = run.LastLaunch();
    entry_ref encoderRef;
    FilesList* filesList = nullptr;
    TabView* tabView;
    const bool& running = run.Running();

private:
    void BuildMenus();
    // Makes the window taller when the options page needs more height.
    void FitOptionsPage();
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
    // The batch run's steps: "ENCD", "SKIP" (for the encoder its message
    // names, or with none named, the one at work) and "STOP".
    void StartRun();
    void SkipFile(const BMessage* message);
    void StopRun();

    // What the run asks of its host (see RunHost).
    int32 CountEntries() override;
    std::string EntryAt(int32 index) override;
    status_t Launch(int32 row, int32 index, int32 count, const std::string& path, team_id* team,
                    int64* launch) override;
    void Kill(team_id team, int64 launch) override;
    void RowSkipped(int32 row) override;
    void RowEnded(int32 row, int32 done, int32 count) override;
    void LaunchFailed(bool othersAtWork) override;
    void StopWatching() override;
    void Finished(const EncodeErrors& errors) override;
};
