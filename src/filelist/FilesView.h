#pragma once

// The "Dateien" page: the list of files to encode in its scroll view, the
// buttons "Entfernen", "Hinzufügen...", "Nach oben schieben" and "Nach unten
// schieben" below it, and the panel "Dateien hinzfügen". The buttons send
// their commands to the main window; the page keeps their states, and that
// of the main window's "Kodieren!", in step with the list, which tells it of
// each change.

#include <kit/interface/BView.h>

class BButton;
class BFilePanel;
class BScrollView;
class FilesList;
class MainWindow;

class FilesView : public BView {
public:
    // Thread: the application's, while the main window is being built.
    FilesView(BRect frame, BButton* encodeButton, MainWindow* window);
    ~FilesView() override;

    // The least right edge of the page's bounds at which the row of buttons
    // fits at the desktop's font, no two of them touching. The main window
    // widens itself to it when its fixed width is too narrow.
    // Thread: any.
    static float RowWidth();

    // The list's news, with the main window locked. ListSelectionChanged:
    // first is the first selected entry's index (-1 for none), single
    // whether it is the only one, count the list's length; "Entfernen" takes
    // clicks with any selection, the two move buttons with a single entry
    // that can move that way. ListFilled: "Kodieren!" takes clicks from an
    // insertion until the list is emptied.
    void ListSelectionChanged(int32 first, bool single, int32 count);
    void ListFilled(bool filled);
    // Shows "Dateien hinzfügen", closing after each choice unless stayOpen.
    // Thread: the main window's lock holder.
    void ShowAddPanel(bool stayOpen);

    BButton* addButton;
    BButton* removeButton;
    BButton* upButton;
    BButton* downButton;
    BScrollView* scrollView;
    FilesList* filesList;
    BFilePanel* addPanel;

private:
    BButton* fEncodeButton;
};
