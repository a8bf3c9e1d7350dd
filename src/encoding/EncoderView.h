#pragma once

// The "Oggenc-Optionen" page: the approximate bitrate and extra parameters
// for the encoder, and the two strings of encoder options made from them.

#include <kit/interface/BView.h>

class BMenu;
class BMenuField;
class BTextControl;

class EncoderView : public BView {
public:
    // Thread: the application's, while the main window is being built.
    explicit EncoderView(BRect frame);
    ~EncoderView() override;

    // The options that go before the file name: "-b <bitrate>" unless
    // "Standard" is marked, then the extra parameters as typed, separated by
    // one blank. buffer must hold at least 137 bytes. Thread: the main
    // window's lock holder.
    void OptionsBefore(char* buffer);
    // The options that go after the file name: there are none, so buffer
    // becomes the empty string. Thread: any.
    void OptionsAfter(char* buffer);

    // Every message sent to the page ends here: the page sends nothing on.
    void MessageReceived(BMessage* message) override;

    BMenu* bitrateMenu;
    BMenuField* bitrateField;
    int32 bitrates[6];
    BTextControl* extraParam;
};
