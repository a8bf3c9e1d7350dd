// The text/uri-list reader of drops, twice over. Any bytes: every file it
// names is an absolute path without NUL, at most one a line, and the paths
// it gives, written out again as a file manager would, read back the same.
// Then the bytes as a recipe for a drop whose files are known: local file
// URIs in each of their spellings among comments, other schemes and other
// hosts, with names escaped fully, minimally or with a bare "%" where it
// cannot start an escape. Exactly the local files must come back, in order.

#include <kit/display/UriList.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

enum Escaping : unsigned {
    kEscapeAll = 1,    // every byte after the leading slash
    kLowerCase = 2,    // hex digits in lower case
    kBarePercent = 4,  // a "%" that cannot start an escape stays bare
    kRawHighBytes = 8, // bytes from 0x80 on stay as they are
};

std::string Escaped(const std::string& path, unsigned escaping) {
    const char* digits = (escaping & kLowerCase) ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        bool escape;
        if (i == 0)
            escape = false; // the leading slash starts the path
        else if (escaping & kEscapeAll)
            escape = true;
        else if (c == '%')
            escape = !(escaping & kBarePercent) || (i + 1 < path.size() && IsHexDigit(path[i + 1]));
        else if (c >= 0x80)
            escape = !(escaping & kRawHighBytes);
        else
            escape = c <= ' ' || c == 0x7f || c == '?' || c == '#';
        if (escape) {
            text.push_back('%');
            text.push_back(digits[c >> 4]);
            text.push_back(digits[c & 15]);
        } else {
            text.push_back(char(c));
        }
    }
    return text;
}

std::vector<std::string> Read(const std::string& list) {
    return display::LocalPaths(QByteArray(list.data(), qsizetype(list.size())));
}

void CheckAnyBytes(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> paths = Read(bytes);
    size_t lines = 1;
    for (char c : bytes)
        lines += c == '\n';
    check(paths.size() <= lines);
    std::string again;
    for (const std::string& path : paths) {
        check(!path.empty() && path.front() == '/');
        check(path.find('\0') == std::string::npos);
        again += "file://" + Escaped(path, size % 16) + "\r\n";
    }
    check(Read(again) == paths);
}

void CheckKnownDrop(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string list;
    std::vector<std::string> expected;
    while (provider.remaining_bytes() > 0) {
        const uint8_t kind = provider.ConsumeIntegral<uint8_t>();
        const unsigned escaping = provider.ConsumeIntegral<uint8_t>();
        const std::string path = "/" + provider.ConsumeRandomLengthString(64);
        const std::string escaped = Escaped(path, escaping);
        // A NUL cannot be part of a file's name, so such a line names none.
        const bool nameable = path.find('\0') == std::string::npos;
        std::string line;
        bool local = nameable;
        switch (kind % 6) {
        case 0:
            line = "file://" + escaped;
            break;
        case 1:
            line = "file://localhost" + escaped;
            break;
        case 2:
            // Without an authority a path may not start with two slashes.
            line = (escaped.compare(0, 2, "//") == 0 ? "FILE://" : "File:") + escaped;
            break;
        case 3: {
            std::string comment = path;
            for (char& c : comment)
                if (c == '\n')
                    c = ' ';
            line = "#" + comment;
            local = false;
            break;
        }
        case 4:
            line = "http://example.org" + escaped;
            local = false;
            break;
        default:
            line = "file://far.away.invalid" + escaped;
            local = false;
            break;
        }
        if (kind & 8)
            line += (kind & 16) ? "?query=1" : "#fragment";
        if (kind & 32)
            line = " \t" + line + "  ";
        list += line + ((kind & 64) ? "\r\n" : "\n");
        if (local)
            expected.push_back(path);
    }
    check(Read(list) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckAnyBytes(data, size);
    CheckKnownDrop(data, size);
    return 0;
}
