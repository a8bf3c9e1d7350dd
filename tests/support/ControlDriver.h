#pragma once

// Drives the check boxes, text controls and menu fields of the display as a
// user would, and reads a window's traits. Every call waits for the display.
// Thread: a test thread.

#include <string>

namespace driver {

// Types text into the line of a text control, key by key, as the keyboard
// would; keys that the line refuses change nothing.
bool TypeInto(const std::string& windowTitle, const std::string& controlName,
              const std::string& text);
// What the line of a text control shows.
std::string LineText(const std::string& windowTitle, const std::string& controlName);

// The label of a text control or menu field as drawn: its text, the width
// of its column, the width the text needs in the font it is drawn with and
// in the font of the control itself, and whether it is drawn narrower than
// that font (condensed).
struct ControlLabel {
    bool exists = false;
    std::string text;
    int column = 0;
    int needed = 0;
    int neededAtControlFont = 0;
    bool condensed = false;
};
ControlLabel Label(const std::string& windowTitle, const std::string& controlName);

// Chooses an item of a menu field's pop-up menu by its label.
bool ChooseFromMenuField(const std::string& windowTitle, const std::string& fieldName,
                         const std::string& itemLabel);
// What the menu field's button shows, and its checked item.
std::string MenuFieldButton(const std::string& windowTitle, const std::string& fieldName);
std::string MenuFieldChecked(const std::string& windowTitle, const std::string& fieldName);

// Clicks a check box; answers whether it is ticked afterwards.
bool ClickCheckBox(const std::string& windowTitle, const std::string& name);
bool CheckBoxTicked(const std::string& windowTitle, const std::string& name);

// The label a control shows: a button's or check box's text (a wrapped check
// box label with its line breaks as blanks), or the text of the label
// column of a text control or menu field; "<none>" when there is no such
// control.
std::string ShownLabel(const std::string& windowTitle, const std::string& controlName);

// A status bar as drawn: its range and value, and what an assistive tool
// reads of it (its name, value and maximum).
struct BarShown {
    bool exists = false;
    int minimum = 0, maximum = 0, value = 0;
    std::string accessibleName;
    double accessibleValue = 0, accessibleMaximum = 0;
};
BarShown Bar(const std::string& windowTitle, const std::string& name);

// A number control's field as drawn: its value and range, and what an
// assistive tool reads for it.
struct NumberShown {
    bool exists = false;
    int value = 0, minimum = 0, maximum = 0;
    std::string accessibleName;
};
NumberShown Number(const std::string& windowTitle, const std::string& name);
// Presses the arrow key up (steps > 0) or down (steps < 0) on a number
// control's field, once per step, as the keyboard would.
bool StepNumber(const std::string& windowTitle, const std::string& name, int steps);

// Puts the keyboard focus on the named control and presses Tab (or Shift+Tab
// with back); answers the name of the control that has the focus then (of
// the view, not of a field inside it), "<none>" if nothing has it.
std::string AfterTab(const std::string& windowTitle, const std::string& name, bool back = false);

struct WindowTraits {
    bool exists = false;
    bool visible = false;
    bool floating = false; // a tool window over the others
    bool appModal = false; // blocks input to the application's other windows
    bool closeBox = false;
    bool minimizeBox = false;
    bool maximizeBox = false;
    bool fixedSize = false;
    int x = 0, y = 0, width = 0, height = 0;
};
WindowTraits Traits(const std::string& windowTitle);

} // namespace driver
