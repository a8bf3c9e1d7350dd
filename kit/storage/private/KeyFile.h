#pragma once

// A desktop key file (a desktop entry, mimeapps.list) read as lines, for the
// few edits the kit makes to such files: adding a value to a list key and
// taking one out. Every line that is not edited is written back byte for
// byte, comments, unknown groups and keys included, so that the user's own
// file stays theirs.
//
// Files with CR LF line ends are read as such: a line's CR is not part of
// its group name, key or values, and edited or new lines get the CR too.
// Keys of groups whose keys are MIME types ([Default Applications]) and list
// values that are MIME types (MimeType=) compare without regard to case, as
// the desktop reads them, so that "text/x-a" and "text/X-A" never stand
// twice.
//
// Thread: an object belongs to the thread that made it.

#include <string>
#include <vector>

namespace kit_private {

class KeyFile {
public:
    // How the keys and the values of one edit compare.
    enum Match : unsigned {
        kExact = 0,
        kTypeKeys = 1,   // keys are MIME types
        kTypeValues = 2, // values are MIME types
    };

    explicit KeyFile(const std::string& text);

    std::string Text() const;

    // Adds value to the list key of group, first or last, creating the key
    // and the group when they are missing; a value already there moves to
    // the front when first is set. False when nothing changed.
    bool AddValue(const std::string& group, const std::string& key, const std::string& value,
                  bool first, unsigned match = kExact);
    // Removes value from the list key, the key when it is left empty, and
    // the group when that leaves nothing in it; from every copy of the group
    // and the key, should the file hold them more than once.
    // False when the value was not there.
    bool RemoveValue(const std::string& group, const std::string& key, const std::string& value,
                     unsigned match = kExact);
    // The values of a list key, in order; empty when the key is missing.
    std::vector<std::string> Values(const std::string& group, const std::string& key,
                                    unsigned match = kExact) const;
    bool HasKey(const std::string& group, const std::string& key, unsigned match = kExact) const;

private:
    // A line without its CR.
    std::string Content(size_t line) const;
    std::string NewLine(const std::string& content) const;
    bool IsGroup(size_t line) const;
    // The range of lines of the first group of that name from line from on,
    // header excluded; false when there is none.
    bool FindGroup(const std::string& group, size_t from, size_t* first, size_t* end) const;
    // The line of a key within [first, end), or end.
    size_t FindKey(size_t first, size_t end, const std::string& key, unsigned match) const;
    // Where a new key goes: after the last line of the group that is not blank.
    size_t InsertionPoint(size_t first, size_t end) const;
    // Erases the group whose lines are [first, end) with its header when
    // they are all blank; returns where the lines after it now start.
    size_t DropIfEmpty(size_t first, size_t end);
    static std::vector<std::string> ParseValues(const std::string& content);
    static std::string Line(const std::string& key, const std::vector<std::string>& values);

    std::vector<std::string> fLines;
    bool fCrLf = false;
};

} // namespace kit_private
