// Reads any bytes as a desktop key file and edits its default line as
// BMimeType does: the untouched file must come back byte for byte, and an
// edit must be found again by a fresh reader of the written text.

#include <kit/storage/private/KeyFile.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using kit_private::KeyFile;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool contains(const std::vector<std::string>& values, const std::string& value) {
    for (const std::string& v : values)
        if (v == value)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    unsigned flags = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string expected = text;
    if (!expected.empty() && expected.back() != '\n')
        expected += '\n';
    check(KeyFile(text).Text() == expected);

    const std::string group = "Default Applications";
    const std::string key = (flags & 1) ? "text/x-list" : "Text/X-List";
    const std::string value = "ours.desktop";
    bool first = (flags & 2) != 0;
    unsigned match = (flags & 4) ? KeyFile::kTypeKeys : KeyFile::kExact;

    KeyFile file(text);
    file.AddValue(group, key, value, first, match);
    KeyFile reread(file.Text());
    std::vector<std::string> values = reread.Values(group, key, match);
    check(contains(values, value));
    if (first)
        check(values.front() == value);

    reread.RemoveValue(group, key, value, match);
    check(!contains(KeyFile(reread.Text()).Values(group, key, match), value));
    return 0;
}
