#pragma once

// The "Dateien" page: the list of files to encode in its scroll view, the
// buttons "Entfernen", "Hinzufügen...", "Nach oben schieben" and "Nach unten
// schieben" below it, and the panel "Dateien hinzfügen". The page has no
// behaviour of its own: the buttons send their commands to the main window,
// and the list keeps the buttons' states.

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

    BButton* addButton;
    BButton* removeButton;
    BButton* upButton;
    BButton* downButton;
    BScrollView* scrollView;
    FilesList* filesList;
    BFilePanel* addPanel;
};
