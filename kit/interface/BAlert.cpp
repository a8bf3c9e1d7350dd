#include <kit/interface/BAlert.h>

#include <kit/app/private/LooperPort.h>
#include <kit/interface/DisplaySeam.h>

#include <future>
#include <memory>

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
               const char* button2, button_width width, alert_type type)
    : fTitle(title ? title : ""), fText(text ? text : ""), fWidth(width), fType(type) {
    for (const char* label : {button0, button1, button2})
        if (label != nullptr)
            fButtons.emplace_back(label);
}

BAlert::~BAlert() = default;

const char* BAlert::ButtonLabel(int32 index) const {
    if (index < 0 || index >= CountButtons())
        return nullptr;
    return fButtons[static_cast<size_t>(index)].c_str();
}

int32 BAlert::Go() {
    std::unique_ptr<BAlert> self(this);
    seam::Display& display = seam::Need();
    if (!display.IsAvailable() || display.IsDisplayThread())
        return -1;
    // A looper that is quitting gets no new alert: the program is winding
    // down and nobody would answer it.
    std::weak_ptr<kit_private::LooperPort> caller;
    if (kit_private::LooperPort* port = kit_private::LooperPort::Current()) {
        if (port->IsQuitting())
            return -1;
        caller = port->weak_from_this();
    }
    // The promise belongs to the display's callback alone: when the display
    // drops the alert unanswered, the callback and the promise go with it and
    // the wait below ends.
    auto answer = std::make_shared<std::promise<int32>>();
    std::future<int32> pressed = answer->get_future();
    auto givenUp = [caller, fromLooper = !caller.expired()] {
        if (!fromLooper)
            return false;
        auto port = caller.lock();
        return !port || port->IsQuitting();
    };
    display.ShowAlert(
        seam::AlertRequest{fTitle, fText, fButtons, fType,
                           [answer = std::move(answer)](int32 index) { answer->set_value(index); },
                           givenUp, fFeel == B_MODAL_APP_WINDOW_FEEL});
    // A display that stops before the answer drops the request; that counts
    // as no answer.
    try {
        return pressed.get();
    } catch (const std::future_error&) {
        return -1;
    }
}

void BAlert::Show() {
    std::unique_ptr<BAlert> self(this);
    seam::Display& display = seam::Need();
    if (!display.IsAvailable())
        return;
    display.ShowAlert(seam::AlertRequest{
        fTitle, fText, fButtons, fType, [](int32) {}, {}, fFeel == B_MODAL_APP_WINDOW_FEEL});
}
