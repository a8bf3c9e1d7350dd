#pragma once

// The main window's tab view with its three pages, in this order: the file
// list ("Dateien"), the encoder options ("Oggenc-Optionen") and the program
// options ("Programm-Optionen").

#include <kit/interface/BTabView.h>

class BButton;
class EncoderView;
class FilesView;
class MainWindow;
class OptionsView;

class TabView : public BTabView {
public:
    // Thread: the application's, while the main window is being built.
    TabView(BRect frame, BButton* encodeButton, MainWindow* window);
    ~TabView() override;

    FilesView* filesView;
    EncoderView* encoderView;
    OptionsView* optionsView;
};
