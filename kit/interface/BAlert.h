#pragma once

// A message box with up to three buttons. Go() shows it, waits until a
// button is pressed, deletes the alert and answers the button's index. Only
// the calling thread waits: the display keeps running, and the alert is modal
// for the whole application. Show() shows it and returns at once: nobody
// waits for the answer.

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
    // Shows the alert and deletes it; the alert stays on the screen until a
    // button is pressed. Thread: any thread but the display's.
    void Show();
    // B_MODAL_APP_WINDOW_FEEL (the default): the alert blocks every other
    // window of the program. B_FLOATING_APP_WINDOW_FEEL: it blocks nothing,
    // stands in front of the program's windows, and can be answered while a
    // modal window of the program is shown. Thread: the alert's owner.
    void SetFeel(window_feel feel) { fFeel = feel; }
    window_feel Feel() const { return fFeel; }

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
    window_feel fFeel = B_MODAL_APP_WINDOW_FEEL;
};
