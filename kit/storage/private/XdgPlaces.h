#pragma once

// Where the desktop keeps a file type's pieces: the freedesktop base folders
// ($XDG_DATA_HOME, $XDG_CONFIG_HOME, with their defaults below home, and the
// system's $XDG_DATA_DIRS) and the files of one type within them.
//
// Thread: any; the environment is read on each call.

#include <kit/app/SupportDefs.h>

#include <string>
#include <vector>

namespace kit_private {

struct XdgPlaces {
    std::string dataHome;
    std::string mimeFolder;
    std::string packageFile;
    std::string largeIcon;
    std::string miniIcon;
    std::string applications;
    std::string launchers;
    std::string mimeappsList;
    // The absolute folders of $XDG_DATA_DIRS in their order, or the
    // standard's /usr/local/share and /usr/share when it names none.
    std::vector<std::string> dataDirs;

    // The places of type; fails only when neither the variables nor the
    // user's home folder give an absolute path.
    static status_t Find(const std::string& type, XdgPlaces* places);
};

// The type as a file name, as the database spells it: '/' becomes '-'.
std::string mime_file_stem(const std::string& type);

// The desktop entry name for an application signature: its subtype, with
// every character that desktop file ids do not allow replaced, and
// ".desktop" appended.
std::string desktop_entry_id(const std::string& signature);

// The file of the desktop entry id in one applications folder, found as the
// desktop finds it: the id itself, or the id with some of its '-' standing
// for subfolders ("x-vnd.A.desktop" may be "x/vnd.A.desktop"). Empty when
// the folder holds no such file.
std::string entry_file_in(const std::string& applications, const std::string& id);

} // namespace kit_private
