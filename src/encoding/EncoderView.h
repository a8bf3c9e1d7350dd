#pragma once

// The "Oggenc-Optionen" page: the approximate bitrate and extra parameters
// for the encoder.

#include "interface/BView.h"

class EncoderView : public BView {
public:
    // Thread: the application's, while the main window is being built.
    explicit EncoderView(BRect frame);
    ~EncoderView() override;

    // Every message sent to the page ends here: the page sends nothing on.
    void MessageReceived(BMessage* message) override;
};
