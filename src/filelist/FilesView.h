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

    BButton* addButton;
    BButton* removeButton;
    BButton* upButton;
    BButton* downButton;
    BScrollView* scrollView;
    FilesList* filesList;
    BFilePanel* addPanel;
};
