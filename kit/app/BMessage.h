#pragma once

// A message: a what code plus named, typed fields. A field holds one or more
// values of one type, reached by index (0, 1, ...). Messages are plain values:
// posting one copies it into the target's queue, so a message is only ever
// touched by one thread at a time.

#include <kit/app/SupportDefs.h>
#include <kit/storage/entry_ref.h>

#include <string>
#include <variant>
#include <vector>

namespace kit_private {
class MessageAccess;
} // namespace kit_private

class BMessage {
public:
    BMessage() = default;
    explicit BMessage(uint32 code) : what(code) {}

    status_t AddString(const char* name, const char* string);
    status_t AddString(const char* name, const std::string& string);
    status_t AddInt32(const char* name, int32 value);
    status_t AddInt64(const char* name, int64 value);
    status_t AddBool(const char* name, bool value);
    status_t AddRef(const char* name, const entry_ref* ref);

    // Each Find reports B_NAME_NOT_FOUND for a missing field, B_BAD_TYPE for a
    // field of another type and B_BAD_INDEX past the field's last value; the
    // output is left untouched then.
    status_t FindString(const char* name, int32 index, const char** string) const;
    status_t FindString(const char* name, const char** string) const;
    status_t FindString(const char* name, int32 index, std::string* string) const;
    status_t FindString(const char* name, std::string* string) const;
    status_t FindInt32(const char* name, int32 index, int32* value) const;
    status_t FindInt32(const char* name, int32* value) const;
    status_t FindInt64(const char* name, int32 index, int64* value) const;
    status_t FindInt64(const char* name, int64* value) const;
    status_t FindBool(const char* name, int32 index, bool* value) const;
    status_t FindBool(const char* name, bool* value) const;
    status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
    status_t FindRef(const char* name, entry_ref* ref) const;

    bool HasString(const char* name, int32 index = 0) const;
    bool HasRef(const char* name, int32 index = 0) const;

    // The type and number of values of a field.
    status_t GetInfo(const char* name, type_code* type, int32* count) const;
    int32 CountNames() const { return static_cast<int32>(fFields.size()); }
    bool IsEmpty() const { return fFields.empty(); }
    status_t RemoveName(const char* name);
    void MakeEmpty() { fFields.clear(); }

    uint32 what = 0;

private:
    friend class kit_private::MessageAccess;

    using Value = std::variant<std::string, int32, int64, bool, entry_ref>;
    struct Field {
        std::string name;
        type_code type;
        std::vector<Value> values;
    };

    status_t Add(const char* name, type_code type, Value value);
    status_t Find(const char* name, type_code type, int32 index, const Value** value) const;
    template <class T>
    status_t FindValue(const char* name, type_code type, int32 index, T* result) const;
    const Field* FieldNamed(const char* name) const;
    Field* FieldNamed(const char* name);

    std::vector<Field> fFields;
};
