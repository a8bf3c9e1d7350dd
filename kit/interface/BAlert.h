#pragma once

// A modal message box with up to three buttons. Go() shows it, waits until a
// button is pressed, deletes the alert and answers the button's index. Only
// the calling thread waits: the display keeps running, and the alert is modal
// for the whole application.

#include <kit/interface/InterfaceDefs.h>

#include <string>
#include <vector>

class BAlert {
public:
    BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
           const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
           alert_type type = B_INFO_ALERT);
    virtual ~BAlert();

    BAlert(const BAlert&) = delete;
    BAlert& operator=(const BAlert&) = delete;

    // Thread: any thread but the display's. Returns -1 when no display runs.
    int32 Go();

    const char* Title() const { return fTitle.c_str(); }
    const char* Text() const { return fText.c_str(); }
    int32 CountButtons() const { return static_cast<int32>(fButtons.size()); }
    const char* ButtonLabel(int32 index) const;
    alert_type Type() const { return fType; }

private:
    std::string fTitle;
    std::string fText;
    std::vector<std::string> fButtons;
    button_width fWidth;
    alert_type fType;
};
