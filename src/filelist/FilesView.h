#pragma once

// The "Dateien" page: the list of files to encode and its buttons.

#include "interface/BView.h"

class BButton;
class FilesList;
class MainWindow;

class FilesView : public BView {
public:
    // Thread: the application's, while the main window is being built.
    FilesView(BRect frame, BButton* encodeButton, MainWindow* window);
    ~FilesView() override;

    FilesList* filesList = nullptr;
};
