#pragma once

// Kit-private: shows an alert on the display and calls back with the index of
// the pressed button. Thread: any; the callback runs on the display thread.

#include "app/SupportDefs.h"
#include "interface/InterfaceDefs.h"

#include <functional>
#include <string>
#include <vector>

namespace display {

void ShowAlert(const std::string& title, const std::string& text,
               const std::vector<std::string>& buttons, alert_type type,
               std::function<void(int32)> answered);

} // namespace display
