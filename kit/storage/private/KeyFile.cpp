#include <kit/storage/private/KeyFile.h>

#include <algorithm>

namespace kit_private {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same(const std::string& a, const std::string& b, bool ignoreCase) {
    if (!ignoreCase)
        return a == b;
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

KeyFile::KeyFile(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        fLines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // The first line decides how new lines end.
    fCrLf = !fLines.empty() && !fLines.front().empty() && fLines.front().back() == '\r';
}

std::string KeyFile::Text() const {
    std::string text;
    for (const std::string& line : fLines) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string KeyFile::Content(size_t line) const {
    const std::string& raw = fLines[line];
    if (!raw.empty() && raw.back() == '\r')
        return raw.substr(0, raw.size() - 1);
    return raw;
}

std::string KeyFile::NewLine(const std::string& content) const {
    return fCrLf ? content + '\r' : content;
}

bool KeyFile::IsGroup(size_t line) const {
    std::string content = trimmed(Content(line));
    return !content.empty() && content.front() == '[';
}

bool KeyFile::FindGroup(const std::string& group, size_t from, size_t* first, size_t* end) const {
    std::string header = "[" + group + "]";
    for (size_t i = from; i < fLines.size(); ++i) {
        if (trimmed(Content(i)) != header)
            continue;
        *first = i + 1;
        *end = *first;
        while (*end < fLines.size() && !IsGroup(*end))
            ++*end;
        return true;
    }
    return false;
}

size_t KeyFile::FindKey(size_t first, size_t end, const std::string& key, unsigned match) const {
    for (size_t i = first; i < end; ++i) {
        std::string content = Content(i);
        std::string name = trimmed(content.substr(0, content.find('=')));
        if (content.find('=') == std::string::npos || name.empty() || name.front() == '#')
            continue;
        if (same(name, key, (match & kTypeKeys) != 0))
            return i;
    }
    return end;
}

size_t KeyFile::InsertionPoint(size_t first, size_t end) const {
    size_t at = end;
    while (at > first && trimmed(Content(at - 1)).empty())
        --at;
    return at;
}

std::vector<std::string> KeyFile::ParseValues(const std::string& content) {
    std::vector<std::string> values;
    std::string list = content.substr(content.find('=') + 1);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string value = trimmed(list.substr(start, end - start));
        if (!value.empty())
            values.push_back(value);
        start = end + 1;
    }
    return values;
}

std::string KeyFile::Line(const std::string& key, const std::vector<std::string>& values) {
    std::string line = key + "=";
    for (const std::string& value : values)
        line += value + ";";
    return line;
}

bool KeyFile::AddValue(const std::string& group, const std::string& key, const std::string& value,
                       bool first, unsigned match) {
    size_t begin = 0;
    size_t end = 0;
    if (!FindGroup(group, 0, &begin, &end)) {
        if (!fLines.empty() && !trimmed(Content(fLines.size() - 1)).empty())
            fLines.push_back(NewLine(""));
        fLines.push_back(NewLine("[" + group + "]"));
        fLines.push_back(NewLine(Line(key, {value})));
        return true;
    }
    size_t at = FindKey(begin, end, key, match);
    if (at == end) {
        fLines.insert(fLines.begin() + static_cast<long>(InsertionPoint(begin, end)),
                      NewLine(Line(key, {value})));
        return true;
    }
    // The key keeps the spelling it has in the file.
    std::string content = Content(at);
    std::string name = trimmed(content.substr(0, content.find('=')));
    std::vector<std::string> values = ParseValues(content);
    bool ignoreCase = (match & kTypeValues) != 0;
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const std::string& v) { return same(v, value, ignoreCase); });
    if (found != values.end() && (!first || found == values.begin()))
        return false;
    if (found != values.end())
        values.erase(found);
    values.insert(first ? values.begin() : values.end(), value);
    fLines[at] = NewLine(Line(name, values));
    return true;
}

bool KeyFile::RemoveValue(const std::string& group, const std::string& key,
                          const std::string& value, unsigned match) {
    // Every copy goes: a file may hold the group, the key or the value more
    // than once, and the desktop may read any of them.
    bool ignoreCase = (match & kTypeValues) != 0;
    bool removedAny = false;
    size_t begin = 0;
    size_t end = 0;
    for (size_t from = 0; FindGroup(group, from, &begin, &end); from = end) {
        bool removedHere = false;
        for (size_t at = FindKey(begin, end, key, match); at != end;
             at = FindKey(at, end, key, match)) {
            std::string content = Content(at);
            std::string name = trimmed(content.substr(0, content.find('=')));
            std::vector<std::string> values = ParseValues(content);
            auto removed = std::remove_if(values.begin(), values.end(), [&](const std::string& v) {
                return same(v, value, ignoreCase);
            });
            if (removed == values.end()) {
                ++at;
                continue;
            }
            removedAny = removedHere = true;
            values.erase(removed, values.end());
            if (values.empty()) {
                fLines.erase(fLines.begin() + static_cast<long>(at));
                --end;
            } else {
                fLines[at] = NewLine(Line(name, values));
                ++at;
            }
        }
        if (removedHere)
            end = DropIfEmpty(begin, end);
    }
    return removedAny;
}

size_t KeyFile::DropIfEmpty(size_t first, size_t end) {
    for (size_t i = first; i < end; ++i)
        if (!trimmed(Content(i)).empty())
            return end;
    // The header goes with the group's blank lines, and so does the blank
    // line before it when nothing follows, as AddValue wrote it.
    size_t from = first - 1;
    if (end == fLines.size() && from > 0 && trimmed(Content(from - 1)).empty())
        --from;
    fLines.erase(fLines.begin() + static_cast<long>(from), fLines.begin() + static_cast<long>(end));
    return from;
}

std::vector<std::string> KeyFile::Values(const std::string& group, const std::string& key,
                                         unsigned match) const {
    size_t begin = 0;
    size_t end = 0;
    if (!FindGroup(group, 0, &begin, &end))
        return {};
    size_t at = FindKey(begin, end, key, match);
    return at == end ? std::vector<std::string>() : ParseValues(Content(at));
}

bool KeyFile::HasKey(const std::string& group, const std::string& key, unsigned match) const {
    size_t begin = 0;
    size_t end = 0;
    return FindGroup(group, 0, &begin, &end) && FindKey(begin, end, key, match) != end;
}

} // namespace kit_private
