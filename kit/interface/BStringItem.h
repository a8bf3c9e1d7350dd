#pragma once

// A list row that shows one line of text. The text is a byte string that may
// hold any byte but NUL; bytes that are not valid UTF-8 are shown the way the
// desktop shows such a file name (each bad sequence as a replacement mark),
// while Text() keeps them unchanged.
//
// Thread: as BListItem.

#include <kit/interface/BListItem.h>

#include <string>

class BStringItem : public BListItem {
public:
    explicit BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
    // Takes the text over without copying it; it ends at its first NUL, if any.
    explicit BStringItem(std::string text, uint32 outlineLevel = 0, bool expanded = true);
    ~BStringItem() override;

    const char* Text() const { return fText.c_str(); }

    const char* DisplayText() const override { return fText.c_str(); }

private:
    std::string fText;
};
