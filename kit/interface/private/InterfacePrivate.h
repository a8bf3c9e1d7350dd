#pragma once

// Kit-private message codes with which the display reports input to the
// window or view concerned. They never reach the application's hooks: the
// window turns them into state changes and the controls' own messages.

#include <kit/app/SupportDefs.h>

namespace kit_private {

constexpr uint32 kControlInvoked = four_cc("_INV"); // a button clicked; "value" for a check box
constexpr uint32 kMenuItemChosen = four_cc("_MIC"); // "item": the item's token
constexpr uint32 kTextEdited = four_cc("_TXT");     // "text": the new text
constexpr uint32 kTabChosen = four_cc("_TAB");      // "index": the tab chosen
constexpr uint32 kWindowMoved = four_cc("_WMV");    // "left", "top": the content's new corner
// "first", "last" (several): the runs of selected rows; "generation": of the rows shown
constexpr uint32 kSelectionMade = four_cc("_SEL");

} // namespace kit_private
