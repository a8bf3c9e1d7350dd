#include <kit/interface/BTextView.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/private/InterfacePrivate.h>

size_t utf8_prefix(const std::string& text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const auto lead = static_cast<unsigned char>(text[end]);
        size_t length = 1;
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        // A character counts whole only when all its continuation bytes are
        // there; otherwise its first byte stands alone.
        for (size_t i = 1; i < length; ++i)
            if (end + i >= text.size() ||
                (static_cast<unsigned char>(text[end + i]) & 0xC0) != 0x80) {
                length = 1;
                break;
            }
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return end;
}

BTextView::BTextView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags) {}

bool BTextView::Take(std::string text) {
    text.resize(utf8_prefix(text, static_cast<size_t>(fMaxBytes)));
    if (text == fText)
        return false;
    fText = std::move(text);
    return true;
}

void BTextView::SetText(const char* text) {
    if (!Take(text ? text : ""))
        return;
    kit_private::ViewAccess::QueueLook(this);
    if (fOwner != nullptr)
        fOwner->TextChanged();
}

void BTextView::SetMaxBytes(int32 maxBytes) {
    fMaxBytes = maxBytes < 0 ? 0 : maxBytes;
    const bool cut = Take(fText);
    kit_private::ViewAccess::QueueLook(this);
    if (cut && fOwner != nullptr)
        fOwner->TextChanged();
}

void BTextView::SetAccessibleLabel(const std::string& label) {
    if (label == fAccessibleLabel)
        return;
    fAccessibleLabel = label;
    kit_private::ViewAccess::QueueLook(this);
}

seam::Look BTextView::WidgetLook() const {
    return seam::TextViewShape{fText, fAccessibleLabel, fMaxBytes};
}

void BTextView::HandleDisplayEvent(BMessage* message) {
    const char* typed = nullptr;
    if (message->what != kit_private::kTextEdited || message->FindString("text", &typed) != B_OK)
        return;
    std::string text = typed;
    const bool tooLong = utf8_prefix(text, static_cast<size_t>(fMaxBytes)) < text.size();
    const bool changed = Take(std::move(text));
    // The line refuses what passes the limit; should a longer text come all
    // the same, the line is given the cut text back.
    if (tooLong)
        kit_private::ViewAccess::QueueLook(this);
    if (changed && fOwner != nullptr)
        fOwner->TextChanged();
}
