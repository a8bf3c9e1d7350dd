#pragma once

// Kit-private: shows an alert on the display and calls back with the index of
// the pressed button. Thread: any; the callback runs on the display thread.

#include <kit/app/SupportDefs.h>
#include <kit/interface/InterfaceDefs.h>

#include <functional>
#include <string>
#include <vector>

namespace display {

// The title bar of every alert shows the program's name; the alert's own
// title is its object name, by which tests and assistive tools find it.
// Without a name set, Qt's application name stands in. Thread: any.
void SetProgramName(const std::string& name);

// givenUp is asked on the display thread just before the alert would be
// shown; when it answers true the alert is dropped unanswered. An alert that
// is not modal blocks no window, and stands in front of the modal window
// shown at that moment, which then does not block it either.
void ShowAlert(const std::string& title, const std::string& text,
               const std::vector<std::string>& buttons, alert_type type,
               std::function<void(int32)> answered, std::function<bool()> givenUp = {},
               bool modal = true);

// Closes every alert that is open, or asked for before this call, without an
// answer: the threads waiting in them go on as if no button had been
// pressed. Used when the program winds down. Thread: any.
void DismissAlerts();

} // namespace display
