#include <kit/storage/private/XdgPlaces.h>

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit_private {

namespace {

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

// The system's data folders: the variable's absolute folders, or the
// standard's defaults when it is unset or names none.
std::vector<std::string> data_dirs() {
    std::vector<std::string> dirs;
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string list = value != nullptr ? value : "";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = list.substr(start, end - start);
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        if (!dir.empty() && dir.front() == '/')
            dirs.push_back(dir);
        start = end + 1;
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

bool is_file(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

status_t XdgPlaces::Find(const std::string& type, XdgPlaces* places) {
    std::string data;
    std::string config;
    if (status_t status = base_folder("XDG_DATA_HOME", ".local/share", &data); status != B_OK)
        return status;
    if (status_t status = base_folder("XDG_CONFIG_HOME", ".config", &config); status != B_OK)
        return status;
    std::string stem = mime_file_stem(type);
    places->dataHome = data;
    places->mimeFolder = data + "/mime";
    places->packageFile = data + "/mime/packages/" + stem + ".xml";
    places->largeIcon = data + "/icons/hicolor/32x32/mimetypes/" + stem + ".png";
    places->miniIcon = data + "/icons/hicolor/16x16/mimetypes/" + stem + ".png";
    places->applications = data + "/applications";
    // Links with plain names to executables whose own paths a desktop entry
    // cannot name; see DesktopSide.
    places->launchers = data + "/kit-launchers";
    places->mimeappsList = config + "/mimeapps.list";
    places->dataDirs = data_dirs();
    return B_OK;
}

std::string mime_file_stem(const std::string& type) {
    std::string stem = type;
    for (char& c : stem)
        if (c == '/')
            c = '-';
    return stem;
}

std::string entry_file_in(const std::string& applications, const std::string& id) {
    std::vector<size_t> dashes;
    for (size_t at = id.find('-'); at != std::string::npos; at = id.find('-', at + 1))
        dashes.push_back(at);
    // Each choice of dashes read as subfolders, the plain id first; an id
    // with many dashes is only tried as it stands.
    size_t choices = dashes.size() <= 8 ? size_t{1} << dashes.size() : 1;
    for (size_t choice = 0; choice < choices; ++choice) {
        std::string relative = id;
        for (size_t k = 0; k < dashes.size(); ++k)
            if (choice & (size_t{1} << k))
                relative[dashes[k]] = '/';
        // A folder's name is never empty: "a--b" is not "a/b".
        if (relative.front() == '/' || relative.find("//") != std::string::npos)
            continue;
        std::string path = applications + "/" + relative;
        if (is_file(path))
            return path;
    }
    return {};
}

std::string desktop_entry_id(const std::string& signature) {
    std::string id = signature.substr(signature.find('/') + 1);
    for (char& c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.'))
            c = '_';
    if (id.empty())
        id = "_";
    if (id.front() == '.')
        id.front() = '_';
    return id + ".desktop";
}

} // namespace kit_private
