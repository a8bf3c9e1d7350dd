#include "storage/BMimeType.h"

#include "app/AppInfo.h"
#include "app/BMessage.h"
#include "interface/BBitmap.h"
#include "storage/BNodeInfo.h"
#include "storage/ToolRunner.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kMimeNamespace = "http://www.freedesktop.org/standards/shared-mime-info";
// The kit's own elements in a package file. update-mime-database copies
// elements of other namespaces into its per-type files unchanged.
constexpr const char* kKitNamespace = "urn:x-vnd-kit:mime-info";
// Marks a desktop entry that Install() created, so that Delete() removes the
// file instead of only its MimeType association.
constexpr const char* kCreatedKey = "X-Kit-Created-For-Types";

// ---- Places ---------------------------------------------------------------

status_t home_folder(std::string* home) {
    if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') {
        *home = value;
        return B_OK;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
        entry.pw_dir == nullptr || entry.pw_dir[0] != '/')
        return B_ENTRY_NOT_FOUND;
    *home = entry.pw_dir;
    return B_OK;
}

// An XDG base folder: the variable when it holds an absolute path (the
// standard says to ignore relative ones), else the default below home.
status_t base_folder(const char* variable, const char* fallback, std::string* folder) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        *folder = value;
        return B_OK;
    }
    std::string home;
    if (status_t status = home_folder(&home); status != B_OK)
        return status;
    *folder = home + "/" + fallback;
    return B_OK;
}

struct Places {
    std::string mimeFolder;
    std::string packageFile;
    std::string largeIcon;
    std::string miniIcon;
    std::string applications;
    std::string mimeappsList;
};

std::string file_stem(const std::string& type) {
    std::string stem = type;
    for (char& c : stem)
        if (c == '/')
            c = '-';
    return stem;
}

status_t find_places(const std::string& type, Places* places) {
    std::string data;
    std::string config;
    if (status_t status = base_folder("XDG_DATA_HOME", ".local/share", &data); status != B_OK)
        return status;
    if (status_t status = base_folder("XDG_CONFIG_HOME", ".config", &config); status != B_OK)
        return status;
    std::string stem = file_stem(type);
    places->mimeFolder = data + "/mime";
    places->packageFile = data + "/mime/packages/" + stem + ".xml";
    places->largeIcon = data + "/icons/hicolor/32x32/mimetypes/" + stem + ".png";
    places->miniIcon = data + "/icons/hicolor/16x16/mimetypes/" + stem + ".png";
    places->applications = data + "/applications";
    places->mimeappsList = config + "/mimeapps.list";
    return B_OK;
}

// The desktop entry name for an application signature: its subtype, with
// every character that desktop file ids do not allow replaced.
std::string desktop_id(const std::string& signature) {
    std::string id = signature.substr(signature.find('/') + 1);
    for (char& c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.'))
            c = '_';
    if (id.front() == '.')
        id.front() = '_';
    return id + ".desktop";
}

// ---- Files ----------------------------------------------------------------

status_t make_folders(const std::string& path) {
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return status_from_errno(errno);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return status_from_errno(errno);
    return S_ISDIR(info.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
}

std::string folder_of(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// Reads a whole file; B_ENTRY_NOT_FOUND when it does not exist.
status_t read_text(const std::string& path, std::string* text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    text->clear();
    char buffer[8192];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (count < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return status_from_errno(error);
        }
        text->append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    return B_OK;
}

// Writes a file so that readers see either the old or the new contents,
// never a part: a temporary file beside it, synced, then renamed over it.
status_t write_atomically(const std::string& path, const std::string& contents) {
    if (status_t status = make_folders(folder_of(path)); status != B_OK)
        return status;
    std::string temporary = path + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    status_t status = B_OK;
    size_t done = 0;
    while (status == B_OK && done < contents.size()) {
        ssize_t count = ::write(fd, contents.data() + done, contents.size() - done);
        if (count < 0 && errno != EINTR)
            status = status_from_errno(errno);
        else if (count > 0)
            done += static_cast<size_t>(count);
    }
    if (status == B_OK && (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0))
        status = status_from_errno(errno);
    if (::close(fd) != 0 && status == B_OK)
        status = status_from_errno(errno);
    if (status == B_OK && ::rename(temporary.c_str(), path.c_str()) != 0)
        status = status_from_errno(errno);
    if (status != B_OK)
        ::unlink(temporary.c_str());
    return status;
}

status_t remove_file(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return B_OK;
    return status_from_errno(errno);
}

// ---- Text formats ---------------------------------------------------------

std::string xml_escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

bool has_control_characters(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    return false;
}

// The Exec= value that starts the executable with the chosen files: the path
// quoted as the desktop entry standard asks, then its string escapes, and
// "%" doubled so that it is not read as a field code.
status_t exec_value(const std::string& executable, std::string* value) {
    if (has_control_characters(executable))
        return B_BAD_VALUE;
    std::string quoted = "\"";
    for (char c : executable) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    *value = escaped + " %F";
    return B_OK;
}

// A key file (desktop entry, mimeapps.list) as lines. Lines that are not
// touched are written back byte for byte.
struct KeyFile {
    std::vector<std::string> lines;

    explicit KeyFile(const std::string& text) {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }

    std::string Text() const {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }

    static bool IsGroup(const std::string& line) { return !line.empty() && line.front() == '['; }

    // The range of lines of a group, header excluded; false when missing.
    bool FindGroup(const std::string& group, size_t* first, size_t* end) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] != "[" + group + "]")
                continue;
            *first = i + 1;
            *end = *first;
            while (*end < lines.size() && !IsGroup(lines[*end]))
                ++*end;
            return true;
        }
        return false;
    }

    // The line of a key within [first, end), or end.
    size_t FindKey(size_t first, size_t end, const std::string& key) const {
        for (size_t i = first; i < end; ++i) {
            size_t equals = lines[i].find('=');
            if (equals == std::string::npos)
                continue;
            std::string name = lines[i].substr(0, equals);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
                name.pop_back();
            if (name == key)
                return i;
        }
        return end;
    }

    // Where a new key goes: after the last line of the group that is not blank.
    size_t InsertionPoint(size_t first, size_t end) const {
        size_t at = end;
        while (at > first && lines[at - 1].find_first_not_of(" \t") == std::string::npos)
            --at;
        return at;
    }

    static std::vector<std::string> Values(const std::string& line) {
        std::vector<std::string> values;
        std::string list = line.substr(line.find('=') + 1);
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(';', start);
            if (end == std::string::npos)
                end = list.size();
            std::string value = list.substr(start, end - start);
            while (!value.empty() && value.front() == ' ')
                value.erase(0, 1);
            if (!value.empty())
                values.push_back(value);
            start = end + 1;
        }
        return values;
    }

    static std::string Line(const std::string& key, const std::vector<std::string>& values) {
        std::string line = key + "=";
        for (const std::string& value : values)
            line += value + ";";
        return line;
    }

    // Adds a value to a list key, first or last; false when it was there.
    bool AddValue(const std::string& group, const std::string& key, const std::string& value,
                  bool first) {
        size_t begin = 0;
        size_t end = 0;
        if (!FindGroup(group, &begin, &end)) {
            if (!lines.empty() && !lines.back().empty())
                lines.emplace_back();
            lines.push_back("[" + group + "]");
            lines.push_back(Line(key, {value}));
            return true;
        }
        size_t at = FindKey(begin, end, key);
        if (at == end) {
            lines.insert(lines.begin() + static_cast<long>(InsertionPoint(begin, end)),
                         Line(key, {value}));
            return true;
        }
        std::vector<std::string> values = Values(lines[at]);
        auto found = std::find(values.begin(), values.end(), value);
        if (found != values.end() && (!first || found == values.begin()))
            return false;
        if (found != values.end())
            values.erase(found);
        values.insert(first ? values.begin() : values.end(), value);
        lines[at] = Line(key, values);
        return true;
    }

    // Removes a value from a list key, and the key when it is left empty.
    // False when the value was not there.
    bool RemoveValue(const std::string& group, const std::string& key, const std::string& value) {
        size_t begin = 0;
        size_t end = 0;
        if (!FindGroup(group, &begin, &end))
            return false;
        size_t at = FindKey(begin, end, key);
        if (at == end)
            return false;
        std::vector<std::string> values = Values(lines[at]);
        auto found = std::find(values.begin(), values.end(), value);
        if (found == values.end())
            return false;
        values.erase(found);
        if (values.empty())
            lines.erase(lines.begin() + static_cast<long>(at));
        else
            lines[at] = Line(key, values);
        return true;
    }

    bool HasValues(const std::string& group, const std::string& key) const {
        size_t begin = 0;
        size_t end = 0;
        if (!FindGroup(group, &begin, &end))
            return false;
        size_t at = FindKey(begin, end, key);
        return at != end && !Values(lines[at]).empty();
    }
};

constexpr const char* kEntryGroup = "Desktop Entry";
constexpr const char* kDefaultsGroup = "Default Applications";

// ---- The package file -----------------------------------------------------

// What a package file written by Install() records.
struct Record {
    std::string shortDescription;
    std::string longDescription;
    std::string preferredApp;
    std::string desktopEntry;
    std::vector<std::string> extensions;
    bool largeIcon = false;
    bool miniIcon = false;
};

std::string package_text(const std::string& type, const Record& record) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<mime-info xmlns=\"" + std::string(kMimeNamespace) + "\" xmlns:kit=\"" +
            kKitNamespace + "\">\n";
    text += "  <mime-type type=\"" + xml_escape(type) + "\">\n";
    if (!record.shortDescription.empty())
        text += "    <comment>" + xml_escape(record.shortDescription) + "</comment>\n";
    if (!record.longDescription.empty())
        text += "    <kit:long-description>" + xml_escape(record.longDescription) +
                "</kit:long-description>\n";
    if (!record.preferredApp.empty())
        text += "    <kit:preferred-app signature=\"" + xml_escape(record.preferredApp) +
                "\" desktop-entry=\"" + xml_escape(record.desktopEntry) + "\"/>\n";
    if (record.largeIcon || record.miniIcon) {
        text += "    <icon name=\"" + xml_escape(file_stem(type)) + "\"/>\n";
        text += "    <kit:icons large=\"" + std::string(record.largeIcon ? "true" : "false") +
                "\" mini=\"" + (record.miniIcon ? "true" : "false") + "\"/>\n";
    }
    for (const std::string& extension : record.extensions)
        text += "    <glob pattern=\"*." + xml_escape(extension) + "\"/>\n";
    text += "  </mime-type>\n</mime-info>\n";
    return text;
}

status_t parse_package(const std::string& text, Record* record) {
    QXmlStreamReader reader(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        auto name = reader.name();
        auto space = reader.namespaceUri();
        auto attributes = reader.attributes();
        if (space == QLatin1String(kMimeNamespace)) {
            if (name == QLatin1String("comment") && !attributes.hasAttribute("xml:lang"))
                record->shortDescription = reader.readElementText().toStdString();
            else if (name == QLatin1String("glob")) {
                std::string pattern = attributes.value("pattern").toString().toStdString();
                if (pattern.starts_with("*.") && pattern.size() > 2)
                    record->extensions.push_back(pattern.substr(2));
            }
        } else if (space == QLatin1String(kKitNamespace)) {
            if (name == QLatin1String("long-description")) {
                record->longDescription = reader.readElementText().toStdString();
            } else if (name == QLatin1String("preferred-app")) {
                record->preferredApp = attributes.value("signature").toString().toStdString();
                record->desktopEntry = attributes.value("desktop-entry").toString().toStdString();
            } else if (name == QLatin1String("icons")) {
                record->largeIcon = attributes.value("large") == QLatin1String("true");
                record->miniIcon = attributes.value("mini") == QLatin1String("true");
            }
        }
    }
    return reader.hasError() ? B_BAD_VALUE : B_OK;
}

// A desktop entry id must never lead out of the applications folder.
bool is_safe_leaf(const std::string& leaf) {
    return !leaf.empty() && leaf.find('/') == std::string::npos && leaf != "." && leaf != ".." &&
           !has_control_characters(leaf);
}

status_t copy_out(const std::string& value, char* buffer) {
    if (buffer == nullptr)
        return B_BAD_VALUE;
    buffer[0] = '\0';
    if (value.empty())
        return B_ENTRY_NOT_FOUND;
    if (value.size() >= B_MIME_TYPE_LENGTH)
        return B_BUFFER_OVERFLOW;
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return B_OK;
}

status_t check_description(const char* description) {
    if (description == nullptr)
        return B_OK;
    size_t length = std::strlen(description);
    if (length >= B_MIME_TYPE_LENGTH)
        return B_NAME_TOO_LONG;
    return has_control_characters(description) ? B_BAD_VALUE : B_OK;
}

// ---- Installing and removing, step by step --------------------------------

// The desktop side of a type: its entry's MimeType association and the
// default in mimeapps.list. Each step can be undone.
class DesktopSide {
public:
    DesktopSide(const Places& places, const std::string& type, const std::string& entryId)
        : fPlaces(places), fType(type), fEntryPath(places.applications + "/" + entryId),
          fEntryId(entryId) {}

    // Lists the type in the entry, creating the entry if there is none.
    status_t AddAssociation(const std::string& executable) {
        std::string text;
        status_t status = read_text(fEntryPath, &text);
        if (status == B_ENTRY_NOT_FOUND) {
            std::string exec;
            if (status_t execStatus = exec_value(executable, &exec); execStatus != B_OK)
                return execStatus;
            std::string name = executable.substr(executable.rfind('/') + 1);
            text = "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
                   "\nNoDisplay=true\nTerminal=false\n" + kCreatedKey + "=true\n";
        } else if (status != B_OK) {
            return status;
        }
        KeyFile entry(text);
        if (!entry.AddValue(kEntryGroup, "MimeType", fType, false))
            return B_OK;
        return write_atomically(fEntryPath, entry.Text());
    }

    // Takes the type out of the entry; an entry that Install() created goes
    // when no type is left in it.
    status_t RemoveAssociation() {
        std::string text;
        status_t status = read_text(fEntryPath, &text);
        if (status == B_ENTRY_NOT_FOUND)
            return B_OK;
        if (status != B_OK)
            return status;
        KeyFile entry(text);
        if (!entry.RemoveValue(kEntryGroup, "MimeType", fType))
            return B_OK;
        size_t first = 0;
        size_t end = 0;
        bool created = entry.FindGroup(kEntryGroup, &first, &end) &&
                       entry.FindKey(first, end, kCreatedKey) != end;
        if (created && !entry.HasValues(kEntryGroup, "MimeType"))
            return remove_file(fEntryPath);
        return write_atomically(fEntryPath, entry.Text());
    }

    // Puts the entry first in the type's default line; other applications
    // listed there stay behind it, so removing ours restores them.
    status_t AddDefault() {
        std::string text;
        status_t status = read_text(fPlaces.mimeappsList, &text);
        if (status != B_OK && status != B_ENTRY_NOT_FOUND)
            return status;
        KeyFile list(text);
        if (!list.AddValue(kDefaultsGroup, fType, fEntryId, true))
            return B_OK;
        return write_atomically(fPlaces.mimeappsList, list.Text());
    }

    status_t RemoveDefault() {
        std::string text;
        status_t status = read_text(fPlaces.mimeappsList, &text);
        if (status == B_ENTRY_NOT_FOUND)
            return B_OK;
        if (status != B_OK)
            return status;
        KeyFile list(text);
        if (!list.RemoveValue(kDefaultsGroup, fType, fEntryId))
            return B_OK;
        return write_atomically(fPlaces.mimeappsList, list.Text());
    }

    void UpdateDatabase() {
        // The cache only speeds up lookups; mimeapps.list decides the default,
        // so a missing or failing tool does not fail the installation.
        if (make_folders(fPlaces.applications) == B_OK)
            kit_private::run_tool({"update-desktop-database", fPlaces.applications});
    }

private:
    const Places& fPlaces;
    std::string fType;
    std::string fEntryPath;
    std::string fEntryId;
};

status_t update_mime_database(const Places& places) {
    return kit_private::run_tool({"update-mime-database", places.mimeFolder});
}

} // namespace

BMimeType::BMimeType(const char* type) {
    SetTo(type);
}

status_t BMimeType::SetTo(const char* type) {
    Unset();
    if (!kit_private::is_valid_mime_type(type))
        return fStatus = B_BAD_VALUE;
    fType = type;
    fStatus = B_OK;

    // An installed type starts out with its recorded values.
    Places places;
    std::string text;
    Record record;
    if (find_places(fType, &places) == B_OK && read_text(places.packageFile, &text) == B_OK &&
        parse_package(text, &record) == B_OK) {
        fShortDescription = record.shortDescription;
        fLongDescription = record.longDescription;
        fPreferredApp = record.preferredApp;
        fExtensions = record.extensions;
    }
    return fStatus;
}

void BMimeType::Unset() {
    fType.clear();
    fShortDescription.clear();
    fLongDescription.clear();
    fPreferredApp.clear();
    fExecutable.clear();
    fExtensions.clear();
    fLargeIcon.clear();
    fMiniIcon.clear();
    fStatus = B_NO_INIT;
}

const char* BMimeType::Type() const {
    return fStatus == B_OK ? fType.c_str() : nullptr;
}

bool BMimeType::IsInstalled() const {
    Places places;
    struct stat info {};
    return fStatus == B_OK && find_places(fType, &places) == B_OK &&
           ::stat(places.packageFile.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

status_t BMimeType::SetShortDescription(const char* description) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (status_t status = check_description(description); status != B_OK)
        return status;
    fShortDescription = description ? description : "";
    return B_OK;
}

status_t BMimeType::SetLongDescription(const char* description) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (status_t status = check_description(description); status != B_OK)
        return status;
    fLongDescription = description ? description : "";
    return B_OK;
}

status_t BMimeType::SetPreferredApp(const char* signature, app_verb verb) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (verb != B_OPEN)
        return B_BAD_VALUE;
    if (signature == nullptr) {
        fPreferredApp.clear();
        fExecutable.clear();
        return B_OK;
    }
    if (!kit_private::is_valid_mime_type(signature))
        return B_BAD_VALUE;
    if (kit_private::current_app_signature() != signature)
        return B_NOT_SUPPORTED;
    entry_ref executable;
    if (status_t status = kit_private::current_executable_ref(&executable); status != B_OK)
        return status;
    std::string exec;
    if (status_t status = exec_value(executable.path, &exec); status != B_OK)
        return status;
    fPreferredApp = signature;
    fExecutable = executable.path;
    return B_OK;
}

status_t BMimeType::SetFileExtensions(const BMessage* extensions) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::vector<std::string> list;
    type_code type = 0;
    int32 count = 0;
    if (extensions != nullptr && extensions->GetInfo("extensions", &type, &count) == B_OK) {
        if (type != B_STRING_TYPE)
            return B_BAD_TYPE;
        for (int32 i = 0; i < count; ++i) {
            std::string extension;
            if (extensions->FindString("extensions", i, &extension) != B_OK)
                return B_BAD_VALUE;
            if (!extension.empty() && extension.front() == '.')
                extension.erase(0, 1);
            // The extension becomes part of a glob: characters that would make
            // it match other names, or break the file, are refused.
            if (extension.empty() || extension.size() >= B_FILE_NAME_LENGTH ||
                extension.find_first_of("/*?[]\\") != std::string::npos ||
                has_control_characters(extension))
                return B_BAD_VALUE;
            if (std::find(list.begin(), list.end(), extension) == list.end())
                list.push_back(extension);
        }
    }
    fExtensions = std::move(list);
    return B_OK;
}

status_t BMimeType::SetIcon(const BBitmap* icon, icon_size size) {
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string* slot = size == B_LARGE_ICON  ? &fLargeIcon
                        : size == B_MINI_ICON ? &fMiniIcon
                                              : nullptr;
    if (slot == nullptr)
        return B_BAD_VALUE;
    if (icon == nullptr) {
        slot->clear();
        return B_OK;
    }
    int side = static_cast<int>(size);
    if (icon->InitCheck() != B_OK || icon->Bounds().IntegerWidth() + 1 != side ||
        icon->Bounds().IntegerHeight() + 1 != side)
        return B_BAD_VALUE;
    std::string png;
    if (status_t status = kit_private::encode_png(*icon, &png); status != B_OK)
        return status;
    *slot = std::move(png);
    return B_OK;
}

status_t BMimeType::GetShortDescription(char* description) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    return copy_out(fShortDescription, description);
}

status_t BMimeType::GetLongDescription(char* description) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    return copy_out(fLongDescription, description);
}

status_t BMimeType::GetPreferredApp(char* signature, app_verb verb) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (verb != B_OPEN)
        return B_BAD_VALUE;
    return copy_out(fPreferredApp, signature);
}

status_t BMimeType::GetFileExtensions(BMessage* extensions) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (extensions == nullptr)
        return B_BAD_VALUE;
    extensions->RemoveName("extensions");
    for (const std::string& extension : fExtensions)
        extensions->AddString("extensions", extension);
    return B_OK;
}

status_t BMimeType::Install() {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (IsInstalled())
        return B_FILE_EXISTS;
    Places places;
    if (status_t status = find_places(fType, &places); status != B_OK)
        return status;
    // A preferred application read back from an earlier installation has no
    // executable yet: find it now, before anything is written.
    if (!fPreferredApp.empty() && fExecutable.empty()) {
        std::string signature = fPreferredApp;
        if (status_t status = SetPreferredApp(signature.c_str()); status != B_OK)
            return status;
    }

    Record record;
    record.shortDescription = fShortDescription;
    record.longDescription = fLongDescription;
    record.extensions = fExtensions;
    record.largeIcon = !fLargeIcon.empty();
    record.miniIcon = !fMiniIcon.empty();
    if (!fPreferredApp.empty()) {
        record.preferredApp = fPreferredApp;
        record.desktopEntry = desktop_id(fPreferredApp);
    }
    DesktopSide desktop(places, fType, record.desktopEntry);

    // Each step records what it did, so that a later failure can undo it.
    bool wroteLarge = false;
    bool wroteMini = false;
    bool associated = false;
    bool madeDefault = false;
    status_t status = B_OK;
    if (record.largeIcon && (status = write_atomically(places.largeIcon, fLargeIcon)) == B_OK)
        wroteLarge = true;
    if (status == B_OK && record.miniIcon &&
        (status = write_atomically(places.miniIcon, fMiniIcon)) == B_OK)
        wroteMini = true;
    if (status == B_OK && !fPreferredApp.empty()) {
        if ((status = desktop.AddAssociation(fExecutable)) == B_OK)
            associated = true;
        if (status == B_OK && (status = desktop.AddDefault()) == B_OK)
            madeDefault = true;
    }
    bool wrotePackage = false;
    if (status == B_OK &&
        (status = write_atomically(places.packageFile, package_text(fType, record))) == B_OK)
        wrotePackage = true;
    if (status == B_OK)
        status = update_mime_database(places);
    if (status == B_OK) {
        if (associated)
            desktop.UpdateDatabase();
        return B_OK;
    }

    if (wrotePackage) {
        remove_file(places.packageFile);
        update_mime_database(places);
    }
    if (madeDefault)
        desktop.RemoveDefault();
    if (associated) {
        desktop.RemoveAssociation();
        desktop.UpdateDatabase();
    }
    if (wroteMini)
        remove_file(places.miniIcon);
    if (wroteLarge)
        remove_file(places.largeIcon);
    return status;
}

status_t BMimeType::Delete() {
    if (fStatus != B_OK)
        return B_NO_INIT;
    Places places;
    if (status_t status = find_places(fType, &places); status != B_OK)
        return status;
    std::string text;
    if (status_t status = read_text(places.packageFile, &text); status != B_OK)
        return status;
    // A package file that cannot be parsed still goes; only what it records
    // besides itself is left alone.
    Record record;
    if (parse_package(text, &record) != B_OK)
        record = Record();

    if (status_t status = remove_file(places.packageFile); status != B_OK)
        return status;
    if (status_t status = update_mime_database(places); status != B_OK) {
        // Put the package file back, so that the type stays whole.
        write_atomically(places.packageFile, text);
        update_mime_database(places);
        return status;
    }

    if (record.largeIcon)
        remove_file(places.largeIcon);
    if (record.miniIcon)
        remove_file(places.miniIcon);
    if (!record.desktopEntry.empty() && is_safe_leaf(record.desktopEntry)) {
        DesktopSide desktop(places, fType, record.desktopEntry);
        desktop.RemoveDefault();
        desktop.RemoveAssociation();
        desktop.UpdateDatabase();
    }
    return B_OK;
}
