#pragma once

// The program's fixed layouts place their buttons in slots 75 pixels wide. A
// button takes what its label needs at the desktop's font, but never less
// than its slot: short labels line up with their neighbours, and two
// neighbours 4 or 5 pixels apart never touch.

#include <kit/interface/BButton.h>

#include <algorithm>

// The slot's width in the kit's inclusive measure: 75 pixels.
constexpr float kButtonSlot = 74;

// The width a button with this label takes. Thread: any; it asks the display.
inline float ButtonWidthFor(const char* label) {
    BButton probe(BRect(0, 0, kButtonSlot, 24), "", label, nullptr);
    float width = 0;
    probe.GetPreferredSize(&width, nullptr);
    return std::max(kButtonSlot, width);
}

// Gives the button the size its label needs, at least its slot, keeping its
// left and top edges. Thread: the button's window's lock holder, or any
// while the button is in no window.
inline void ResizeButtonToFit(BButton* button) {
    button->ResizeToPreferred();
    const BRect frame = button->Frame();
    if (frame.Width() < kButtonSlot)
        button->ResizeTo(kButtonSlot, frame.Height());
}
