#include <kit/storage/private/XdgPlaces.h>

#include <cstdlib>
#include <pwd.h>
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
    return B_OK;
}

std::string mime_file_stem(const std::string& type) {
    std::string stem = type;
    for (char& c : stem)
        if (c == '/')
            c = '-';
    return stem;
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
