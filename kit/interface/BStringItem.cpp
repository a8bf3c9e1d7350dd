#include <kit/interface/BStringItem.h>

#include <cstring>

BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded)
    : BListItem(outlineLevel, expanded), fText(text != nullptr ? text : "") {}

BStringItem::BStringItem(std::string text, uint32 outlineLevel, bool expanded)
    : BListItem(outlineLevel, expanded), fText(std::move(text)) {
    // Text() hands out a C string: whatever follows a NUL could never be seen.
    if (size_t nul = fText.find('\0'); nul != std::string::npos)
        fText.resize(nul);
}

BStringItem::~BStringItem() = default;
