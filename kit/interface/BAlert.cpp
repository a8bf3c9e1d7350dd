#include "interface/BAlert.h"

#include "display/Alerts.h"
#include "display/Display.h"

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
    if (!display::IsAvailable() || display::IsDisplayThread())
        return -1;
    auto answer = std::make_shared<std::promise<int32>>();
    std::future<int32> pressed = answer->get_future();
    display::ShowAlert(fTitle, fText, fButtons, fType,
                       [answer](int32 index) { answer->set_value(index); });
    // A display that stops before the answer drops the request; that counts
    // as no answer.
    try {
        return pressed.get();
    } catch (const std::future_error&) {
        return -1;
    }
}
