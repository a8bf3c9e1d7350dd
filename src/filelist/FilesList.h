#pragma once

// The list of files to encode, in the order of encoding, shown on the
// "Dateien" page. It tells its page of every change of its contents and
// selection (the page keeps its buttons and "Kodieren!" in step), takes
// files dropped onto it, and loads and saves list files through its two
// panels.
//
// Every operation runs with the main window locked. AddFile and Open take the
// lock themselves (the application's thread calls them too); Save takes it
// while it reads the entries; the others expect the caller to hold it.

#include <kit/interface/BListView.h>

class BButton;
class BFilePanel;
class FilesView;
class MainWindow;

class FilesList : public BListView {
public:
    // Thread: the application's, while the main window is being built.
    FilesList(BRect frame, MainWindow* window);
    ~FilesList() override;

    void MessageReceived(BMessage* message) override;
    bool AddItem(BListItem* item) override;
    bool AddItem(BListItem* item, int32 index) override;
    void SelectionChanged() override;

    void AddFile(const char* path);
    void RemoveFiles();
    void MoveUp();
    void MoveDown();
    void Clear();
    int32 CountSelected() const;

    void ShowOpen();
    void ShowSave();
    // Loads a list file; failures are told in an alert. Thread: any looper's.
    void Open(const char* path);
    // Writes the list to a list file; failures are told in an alert.
    // Thread: any looper's.
    void Save(const char* path);

    BFilePanel* savePanel;
    BFilePanel* openPanel;
    MainWindow* mainWindow;
    // The page the list stands on, told of each change; null for a list on
    // no page. The buttons are those the page keeps in step, as it wired
    // them.
    FilesView* page = nullptr;
    BButton* encodeButton = nullptr;
    BButton* removeButton = nullptr;
    BButton* upButton = nullptr;
    BButton* downButton = nullptr;

private:
    void AddDroppedFiles(BMessage* message);
    // Tells the page whether the list has entries: after every insertion,
    // and after the operations that may leave it empty.
    void Filled(bool filled);
    // Counts the selection up to limit: enough to tell none, one and more.
    int32 CountSelectedUpTo(int32 limit) const;
    bool LockList();
    void UnlockList();
};
