#pragma once

// The small window that stands in front of the program while a run encodes:
// which file, "Datei %d von %d", and the buttons to skip the file or stop the
// run, both aimed at the main window. It has no logic of its own.

#include <kit/interface/BWindow.h>

class BButton;
class BStringView;
class BView;

class ProgressWindow : public BWindow {
public:
    // Builds the window hidden; parent (the main window) receives "SKIP" and
    // "STOP". Thread: the main window's builder.
    explicit ProgressWindow(BWindow* parent);

    BView* backView;
    BStringView* fileName;
    BStringView* fileNumber;
    BButton* skipButton;
    BButton* stopButton;
};
