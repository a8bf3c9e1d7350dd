#include <kit/storage/private/DesktopSide.h>

#include <kit/app/AppInfo.h>
#include <kit/storage/AtomicFile.h>
#include <kit/storage/BNodeInfo.h>
#include <kit/storage/private/KeyFile.h>
#include <kit/storage/private/StorageFiles.h>
#include <kit/storage/private/ToolRunner.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kit_private {

namespace {

constexpr const char* kEntryGroup = "Desktop Entry";
constexpr const char* kDefaultsGroup = "Default Applications";
constexpr const char* kAddedGroup = "Added Associations";
// Marks a desktop entry that the kit wrote. Only such an entry is ever
// changed or removed: removing its last type removes the file, and it goes
// when it hides an installed entry.
constexpr const char* kCreatedKey = "X-Kit-Created-For-Types";

bool is_utf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32 code = byte;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xe0) == 0xc0) {
            extra = 1;
            code = byte & 0x1f;
        } else if ((byte & 0xf0) == 0xe0) {
            extra = 2;
            code = byte & 0x0f;
        } else if ((byte & 0xf8) == 0xf0) {
            extra = 3;
            code = byte & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3f);
        }
        // Overlong forms, surrogates and values past the last code point.
        static constexpr uint32 kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
            return false;
        i += extra + 1;
    }
    return true;
}

// True when text can stand in a desktop entry's value and be read back
// unchanged by the desktop: UTF-8 without control characters, and no '%',
// which GIO refuses in a quoted Exec argument even when doubled.
bool fits_entry(const std::string& text) {
    return is_utf8(text) && !has_control_characters(text) && text.find('%') == std::string::npos;
}

} // namespace

DesktopSide::DesktopSide(const XdgPlaces& places, const std::string& type,
                         const std::string& entryId)
    : fPlaces(places), fType(type), fEntryPath(places.applications + "/" + entryId),
      fEntryId(entryId) {}

std::string DesktopSide::LauncherPath() const {
    std::string stem = fEntryId.substr(0, fEntryId.rfind(".desktop"));
    return fPlaces.launchers + "/" + stem;
}

status_t DesktopSide::ExecValue(const std::string& path, bool quoting, std::string* value) {
    if (path.empty() || path.front() != '/')
        return B_BAD_VALUE;
    // A path of plain characters stands as it is, which every reader of
    // desktop entries understands (xdg-mime takes the first word of Exec for
    // the program, quotes and all).
    bool plain = std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::strchr("/._-+,@=:", c) != nullptr;
    });
    if (plain) {
        *value = path + " %F";
        return B_OK;
    }
    if (!quoting || !fits_entry(path))
        return B_BAD_VALUE;
    // Otherwise the path is quoted as the desktop entry standard asks, then
    // given the key file's own escape for the backslash.
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    *value = escaped + " %F";
    return B_OK;
}

status_t DesktopSide::MakeLauncher(const std::string& executable) {
    std::string link = LauncherPath();
    if (status_t status = make_folders(fPlaces.launchers); status != B_OK)
        return status;
    std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(executable.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), link.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return status_from_errno(error);
    }
    return B_OK;
}

std::string DesktopSide::InstalledEntry() const {
    // A data folder that is the user's own as well (some sessions list it
    // there) holds no installed entry.
    struct stat home {};
    bool haveHome = ::stat(fPlaces.applications.c_str(), &home) == 0;
    for (const std::string& dir : fPlaces.dataDirs) {
        std::string applications = dir + "/applications";
        struct stat info {};
        if (applications == fPlaces.applications ||
            (haveHome && ::stat(applications.c_str(), &info) == 0 && info.st_dev == home.st_dev &&
             info.st_ino == home.st_ino))
            continue;
        if (std::string path = entry_file_in(applications, fEntryId); !path.empty())
            return path;
    }
    return {};
}

bool DesktopSide::Retire() {
    std::string text;
    if (read_text(fEntryPath, &text) != B_OK)
        return false;
    KeyFile entry(text);
    if (!entry.HasKey(kEntryGroup, kCreatedKey) || InstalledEntry().empty())
        return false;
    // The types go to mimeapps.list first: should that fail, the entry
    // stays rather than the associations being lost.
    std::vector<std::string> types = entry.Values(kEntryGroup, "MimeType");
    if (EditList(kAddedGroup, types, true, false) != B_OK || remove_file(fEntryPath) != B_OK)
        return false;
    RemoveLauncher();
    return true;
}

void DesktopSide::RetireHiddenEntry(const std::string& signature) {
    XdgPlaces places;
    if (!is_valid_mime_type(signature.c_str()) || XdgPlaces::Find(signature, &places) != B_OK)
        return;
    DesktopSide side(places, std::string(), desktop_entry_id(signature));
    if (side.Retire())
        side.UpdateDatabase();
}

status_t DesktopSide::AddAssociation(const std::string& executable) {
    Retire();
    std::string text;
    if (std::string found = entry_file_in(fPlaces.applications, fEntryId); !found.empty()) {
        if (status_t status = read_text(found, &text); status != B_OK)
            return status;
        KeyFile entry(text);
        // The user's own entry is theirs alone.
        if (!entry.HasKey(kEntryGroup, kCreatedKey))
            return EditList(kAddedGroup, {fType}, true, false);
        if (!entry.AddValue(kEntryGroup, "MimeType", fType, false, KeyFile::kTypeValues))
            return B_OK;
        return write_file_atomically(found, entry.Text());
    }
    if (!InstalledEntry().empty())
        return EditList(kAddedGroup, {fType}, true, false);

    // No entry anywhere: the executable's own path when it can stand
    // plainly; else a link of a plain name; else either of them quoted.
    std::string link = LauncherPath();
    std::string exec;
    bool viaLink = false;
    if (ExecValue(executable, false, &exec) != B_OK) {
        viaLink = ExecValue(link, false, &exec) == B_OK;
        if (!viaLink && ExecValue(executable, true, &exec) != B_OK) {
            if (status_t execStatus = ExecValue(link, true, &exec); execStatus != B_OK)
                return execStatus;
            viaLink = true;
        }
    }
    if (viaLink) {
        if (status_t linkStatus = MakeLauncher(executable); linkStatus != B_OK)
            return linkStatus;
    }
    // The name the program gives itself, else its file's.
    std::string name = current_app_name();
    if (name.empty() || !fits_entry(name))
        name = executable.substr(executable.rfind('/') + 1);
    if (!fits_entry(name))
        name = fEntryId.substr(0, fEntryId.rfind(".desktop"));
    KeyFile entry("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
                  "\nNoDisplay=true\nTerminal=false\n" + kCreatedKey + "=true\n");
    entry.AddValue(kEntryGroup, "MimeType", fType, false, KeyFile::kTypeValues);
    status_t status = make_folders(fPlaces.applications);
    if (status == B_OK)
        status = write_file_atomically(fEntryPath, entry.Text());
    if (status != B_OK && viaLink)
        ::unlink(link.c_str());
    return status;
}

status_t DesktopSide::RemoveAssociation() {
    status_t listed = EditList(kAddedGroup, {fType}, false, false);
    std::string found = entry_file_in(fPlaces.applications, fEntryId);
    std::string text;
    if (found.empty())
        return listed;
    if (status_t status = read_text(found, &text); status != B_OK)
        return status;
    KeyFile entry(text);
    if (!entry.HasKey(kEntryGroup, kCreatedKey) ||
        !entry.RemoveValue(kEntryGroup, "MimeType", fType, KeyFile::kTypeValues))
        return listed;
    if (!entry.Values(kEntryGroup, "MimeType").empty())
        return write_file_atomically(found, entry.Text());
    if (status_t removed = remove_file(found); removed != B_OK)
        return removed;
    RemoveLauncher();
    return listed;
}

void DesktopSide::RemoveLauncher() {
    // The link is only ever one of ours: a plain file or a folder of that
    // name is left alone.
    struct stat info {};
    std::string link = LauncherPath();
    if (::lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        ::unlink(link.c_str());
    ::rmdir(fPlaces.launchers.c_str());
}

status_t DesktopSide::EditList(const char* group, const std::vector<std::string>& types, bool add,
                               bool first) {
    std::string text;
    status_t status = read_text(fPlaces.mimeappsList, &text);
    if (status == B_ENTRY_NOT_FOUND && !add)
        return B_OK;
    if (status != B_OK && status != B_ENTRY_NOT_FOUND)
        return status;
    KeyFile list(text);
    bool changed = false;
    for (const std::string& type : types)
        changed |= add ? list.AddValue(group, type, fEntryId, first, KeyFile::kTypeKeys)
                       : list.RemoveValue(group, type, fEntryId, KeyFile::kTypeKeys);
    if (!changed)
        return B_OK;
    if (status = make_folders(folder_of(fPlaces.mimeappsList)); status != B_OK)
        return status;
    return write_file_atomically(fPlaces.mimeappsList, list.Text());
}

status_t DesktopSide::AddDefault() {
    return EditList(kDefaultsGroup, {fType}, true, true);
}

status_t DesktopSide::RemoveDefault() {
    return EditList(kDefaultsGroup, {fType}, false, false);
}

void DesktopSide::UpdateDatabase() {
    if (make_folders(fPlaces.applications) == B_OK)
        run_tool({"update-desktop-database", fPlaces.applications});
}

} // namespace kit_private
