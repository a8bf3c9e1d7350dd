#pragma once

// Kit-private: changing a field of a message in place, for the kit's own code
// that grows a message while it waits in a queue. Thread: whoever may touch
// the message (for a queued one, the holder of its queue's mutex).

#include <kit/app/BMessage.h>

#include <string>

namespace kit_private {

class MessageAccess {
public:
    // The first value of the string field name, or null if there is none.
    static std::string* String(BMessage& message, const char* name) {
        BMessage::Field* field = message.FieldNamed(name);
        if (field == nullptr || field->type != B_STRING_TYPE || field->values.empty())
            return nullptr;
        return std::get_if<std::string>(&field->values.front());
    }
};

} // namespace kit_private
