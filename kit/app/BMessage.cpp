#include <kit/app/BMessage.h>

#include <algorithm>

const BMessage::Field* BMessage::FieldNamed(const char* name) const {
    if (name == nullptr)
        return nullptr;
    auto it = std::find_if(fFields.begin(), fFields.end(),
                           [name](const Field& field) { return field.name == name; });
    return it == fFields.end() ? nullptr : &*it;
}

BMessage::Field* BMessage::FieldNamed(const char* name) {
    return const_cast<Field*>(static_cast<const BMessage*>(this)->FieldNamed(name));
}

status_t BMessage::Add(const char* name, type_code type, Value value) {
    if (name == nullptr || *name == '\0')
        return B_BAD_VALUE;
    if (Field* existing = FieldNamed(name)) {
        if (existing->type != type)
            return B_BAD_TYPE;
        existing->values.push_back(std::move(value));
        return B_OK;
    }
    fFields.push_back(Field{name, type, {}});
    fFields.back().values.push_back(std::move(value));
    return B_OK;
}

status_t BMessage::Find(const char* name, type_code type, int32 index, const Value** value) const {
    const Field* field = FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (field->type != type)
        return B_BAD_TYPE;
    if (index < 0 || static_cast<size_t>(index) >= field->values.size())
        return B_BAD_INDEX;
    *value = &field->values[static_cast<size_t>(index)];
    return B_OK;
}

status_t BMessage::AddString(const char* name, const char* string) {
    if (string == nullptr)
        return B_BAD_VALUE;
    return Add(name, B_STRING_TYPE, std::string(string));
}

status_t BMessage::AddString(const char* name, const std::string& string) {
    return Add(name, B_STRING_TYPE, string);
}

status_t BMessage::AddInt32(const char* name, int32 value) {
    return Add(name, B_INT32_TYPE, value);
}

status_t BMessage::AddInt64(const char* name, int64 value) {
    return Add(name, B_INT64_TYPE, value);
}

status_t BMessage::AddBool(const char* name, bool value) {
    return Add(name, B_BOOL_TYPE, value);
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref) {
    if (ref == nullptr)
        return B_BAD_VALUE;
    return Add(name, B_REF_TYPE, *ref);
}

template <class T>
status_t BMessage::FindValue(const char* name, type_code type, int32 index, T* result) const {
    const Value* value = nullptr;
    status_t status = Find(name, type, index, &value);
    if (status == B_OK && result != nullptr)
        *result = std::get<T>(*value);
    return status;
}

status_t BMessage::FindString(const char* name, int32 index, const char** string) const {
    const Value* value = nullptr;
    status_t status = Find(name, B_STRING_TYPE, index, &value);
    if (status == B_OK && string != nullptr)
        *string = std::get<std::string>(*value).c_str();
    return status;
}

status_t BMessage::FindString(const char* name, const char** string) const {
    return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, std::string* string) const {
    return FindValue(name, B_STRING_TYPE, index, string);
}

status_t BMessage::FindString(const char* name, std::string* string) const {
    return FindString(name, 0, string);
}

status_t BMessage::FindInt32(const char* name, int32 index, int32* value) const {
    return FindValue(name, B_INT32_TYPE, index, value);
}

status_t BMessage::FindInt32(const char* name, int32* value) const {
    return FindInt32(name, 0, value);
}

status_t BMessage::FindInt64(const char* name, int32 index, int64* value) const {
    return FindValue(name, B_INT64_TYPE, index, value);
}

status_t BMessage::FindInt64(const char* name, int64* value) const {
    return FindInt64(name, 0, value);
}

status_t BMessage::FindBool(const char* name, int32 index, bool* value) const {
    return FindValue(name, B_BOOL_TYPE, index, value);
}

status_t BMessage::FindBool(const char* name, bool* value) const {
    return FindBool(name, 0, value);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const {
    return FindValue(name, B_REF_TYPE, index, ref);
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const {
    return FindRef(name, 0, ref);
}

bool BMessage::HasString(const char* name, int32 index) const {
    const Value* value = nullptr;
    return Find(name, B_STRING_TYPE, index, &value) == B_OK;
}

bool BMessage::HasRef(const char* name, int32 index) const {
    const Value* value = nullptr;
    return Find(name, B_REF_TYPE, index, &value) == B_OK;
}

status_t BMessage::GetInfo(const char* name, type_code* type, int32* count) const {
    const Field* field = FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (type != nullptr)
        *type = field->type;
    if (count != nullptr)
        *count = static_cast<int32>(field->values.size());
    return B_OK;
}

status_t BMessage::RemoveName(const char* name) {
    const Field* field = FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    fFields.erase(fFields.begin() + (field - fFields.data()));
    return B_OK;
}
