#pragma once

// A file panel: the window in which the user picks files to open, or a folder
// and a name to save under. A panel is made once and then shown and hidden as
// often as needed; its title, labels and settings stay from one showing to the
// next.
//
// On a confirmed choice the panel sends a message to its target, or to the
// application when it has none:
// - an open panel sends its message, or B_REFS_RECEIVED when it has none,
//   with the chosen entries as the entry_ref field "refs" (index 0, 1, ...);
// - a save panel sends its message, or B_SAVE_REQUESTED when it has none, with
//   the entry_ref field "directory" (the folder) and the string field "name"
//   (the name typed, always a single entry name).
// Cancelling sends nothing. Folders are entered, never chosen.
//
// The panel's window lives on the display. The panel keeps its settings
// itself and posts every change there; no method waits for the user.
//
// Thread: any thread but the display's, one at a time; in the program, the
// thread of the window or application that owns the panel. The panel may be
// deleted on such a thread; its window then goes on the display thread.

#include <kit/app/AppDefs.h>
#include <kit/app/BMessage.h>
#include <kit/app/BMessenger.h>
#include <kit/storage/BFilePanelWindow.h>
#include <kit/storage/StorageDefs.h>
#include <kit/storage/entry_ref.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

enum file_panel_mode {
    B_OPEN_PANEL,
    B_SAVE_PANEL,
};

enum file_panel_button {
    B_CANCEL_BUTTON,
    B_DEFAULT_BUTTON,
};

class BFilePanel;

namespace seam {
struct FilePanelShape;
}

class BFilePanel {
public:
    // nodeFlavors 0 means files (B_FILE_NODE); B_SYMLINK_NODE hands chosen
    // links on as links. The panel takes ownership of the message. The
    // filter is not used. Without a directory the panel starts in the user's
    // home folder.
    explicit BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
                        const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
                        bool allowMultipleSelection = true, BMessage* message = nullptr,
                        void* filter = nullptr, bool modal = false, bool hideWhenDone = true);
    virtual ~BFilePanel();

    BFilePanel(const BFilePanel&) = delete;
    BFilePanel& operator=(const BFilePanel&) = delete;

    BFilePanelWindow* Window() { return &fWindow; }

    // Labels show as they stand; "&" marks no shortcut.
    void SetButtonLabel(file_panel_button button, const char* label);
    // The question a save panel asks before it replaces an existing file, in
    // the application's language: "%s" in the question stands for the file's
    // name; the two labels are those of the buttons that replace the file
    // and that keep it.
    void SetReplaceQuestion(const char* question, const char* replaceLabel, const char* keepLabel);
    // The choices of the panel's file type menu, each a label followed by its
    // patterns in brackets, like "Listendateien (*.mvl)"; the first is chosen
    // when the panel is first shown. Without choices every file is shown.
    void SetNameFilters(std::vector<std::string> filters);
    // With true the panel hides after a confirmed choice; with false it stays
    // open for further choices.
    void SetHideWhenDone(bool hide);
    bool HidesWhenDone() const { return fHideWhenDone; }
    // A default-made messenger sends to the application again.
    void SetTarget(BMessenger target);
    // Takes ownership; nullptr sends the panel's standard message again.
    void SetMessage(BMessage* message);

    void Show();
    void Hide();
    // False once the user has confirmed (when the panel hides when done) or
    // cancelled, even before the owner hears of it.
    bool IsShowing() const;
    file_panel_mode PanelMode() const { return fMode; }

private:
    friend class BFilePanelWindow;

    void SetTitle(const char* title);
    // Posts the current settings to the dialog, if it has been made.
    void Update();
    seam::FilePanelShape Shape() const;

    const uint64 fId;
    const file_panel_mode fMode;
    const uint32 fNodeFlavors;
    const bool fMultiple;
    const bool fModal;
    std::string fDirectory;
    BMessenger fTarget;
    std::unique_ptr<BMessage> fMessage;
    bool fHideWhenDone;
    std::string fTitle;
    std::string fAcceptLabel;
    std::string fCancelLabel;
    std::string fReplaceQuestion;
    std::string fReplaceLabel;
    std::string fKeepLabel;
    std::vector<std::string> fNameFilters;
    // Whether the display has been asked to make the dialog.
    bool fMade = false;
    std::shared_ptr<std::atomic<bool>> fShowing;
    BFilePanelWindow fWindow;
};
