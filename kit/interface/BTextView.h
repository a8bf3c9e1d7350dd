#pragma once

// The editable line of a text control. It keeps its text and a limit on the
// text's length in bytes of UTF-8; a text that would pass the limit is cut
// at the last whole character that fits, never inside a character.

#include <kit/interface/BView.h>

#include <string>

namespace kit_private {
// The view that holds a text view: told of every change of the text.
class TextOwner {
public:
    virtual ~TextOwner() = default;
    virtual void TextChanged() = 0;
};
} // namespace kit_private

// The length of the longest start of text that has at most maxBytes bytes
// and does not end inside a UTF-8 character. Bytes that begin no valid
// character count as characters of one byte. Thread: any.
size_t utf8_prefix(const std::string& text, size_t maxBytes);

class BTextView : public BView {
public:
    BTextView(BRect frame, const char* name, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW | B_NAVIGABLE);

    // Thread: the window's lock holder, or any while not in a window.
    void SetText(const char* text);
    const char* Text() const { return fText.c_str(); }
    int32 TextLength() const { return static_cast<int32>(fText.size()); }
    // The most bytes the text may hold; a longer text is cut at once.
    void SetMaxBytes(int32 maxBytes);
    int32 MaxBytes() const { return fMaxBytes; }

    // The owner told of every change (the text control holding the view).
    void SetOwner(kit_private::TextOwner* owner) { fOwner = owner; }
    // The name assistive tools read for the line.
    void SetAccessibleLabel(const std::string& label);

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    void HandleDisplayEvent(BMessage* message) override;

    // Takes the text, cut to the limit; true if it differs from before.
    bool Take(std::string text);

    std::string fText;
    int32 fMaxBytes = 0x7fffffff;
    kit_private::TextOwner* fOwner = nullptr;
    std::string fAccessibleLabel;
};
