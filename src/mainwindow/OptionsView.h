#pragma once

// The "Programm-Optionen" page: the encoder's path, three switches and the
// buttons that install or delete the list file type.

#include <kit/interface/BView.h>

class OptionsView : public BView {
public:
    // Thread: the application's, while the main window is being built, after
    // the options have been read.
    explicit OptionsView(BRect frame);
    ~OptionsView() override;
};
