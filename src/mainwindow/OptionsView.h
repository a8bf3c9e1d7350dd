#pragma once

// The "Programm-Optionen" page: the encoder's path with its panel "Pfad
// suchen", three switches, the buttons that install or delete the list file
// type, and how many encoders a run keeps at work at once. The page keeps no copy of the options:
// it reads them once, when it is built, and from then on every control sends its command to the
// main window, which writes the new value into the application's options.

#include <kit/interface/BView.h>

#include <string>

class BButton;
class BCheckBox;
class BFilePanel;
class BNumberControl;
class BStringView;
class BTextControl;

class OptionsView : public BView {
public:
    // Thread: the application's, while the main window is being built, after
    // the options have been read.
    explicit OptionsView(BRect frame);
    ~OptionsView() override;

    // The longest encoder path the field takes, in bytes of UTF-8: the
    // option's buffer holds 1024 bytes with the terminating NUL.
    static constexpr int32 kMaxPathBytes = 1023;

    // What the main window's handlers ask of the page, under its lock.
    // The path the field holds, as typed or chosen.
    std::string EncoderPath() const;
    // Puts a chosen path into the field, which sends its change message.
    void SetEncoderPath(const char* path);
    // "Suchen...": the panel "Pfad suchen".
    void ShowEncoderPanel();
    // Whether a switch is on, named by the command its box sends ("DCOA",
    // "DCOO" or "SRMT"); false for any other command.
    bool IsSwitchedOn(uint32 command) const;
    // The count of simultaneous encoders the field shows.
    int32 SimultaneousEncoders() const;
    // The height the page needs to show every control with 5 to spare below
    // the last, as a frame's height.
    float NeededHeight() const;

    // The hint beside that field, which names the machine's cores; empty
    // when their number is not known (0).
    static std::string CoreCountHint(unsigned cores);

    BButton* locationButton;
    BTextControl* locationControl;
    BFilePanel* locationPanel;
    BCheckBox* dontCloseOnAddBox;
    BCheckBox* dontClearOnOpenBox;
    BCheckBox* selfRegisterBox;
    BNumberControl* encodersControl;
    BStringView* coreCountView;
};
