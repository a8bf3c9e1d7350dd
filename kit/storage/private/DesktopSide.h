#pragma once

// The desktop side of a file type: the preferred application's desktop entry
// in $XDG_DATA_HOME/applications, which lists the type in MimeType=, and the
// type's line in [Default Applications] of mimeapps.list, which puts that
// entry first. Each step can be undone on its own, so that BMimeType can
// install all or nothing.
//
// The entry that AddAssociation creates starts the executable by its path
// when that path holds only plain characters. Any other path is reached
// through a link with a plain name in $XDG_DATA_HOME/kit-launchers, which
// goes with the entry: a path that is not UTF-8, or holds a control
// character or '%', cannot be carried by an entry so that the desktop runs
// it, and quoted paths are misread by some of the desktop's tools. Only
// where the link's own path is not plain either is a path quoted.
//
// Thread: an object belongs to the thread that made it; the steps block
// while files are written and tools run.

#include <kit/app/SupportDefs.h>
#include <kit/storage/private/XdgPlaces.h>

#include <string>

namespace kit_private {

class DesktopSide {
public:
    DesktopSide(const XdgPlaces& places, const std::string& type, const std::string& entryId);

    // Lists the type in the entry, creating the entry (and its launcher link
    // when needed) if there is none. B_BAD_VALUE when no working entry can
    // be written for the executable; nothing is left behind then.
    status_t AddAssociation(const std::string& executable);
    // Takes the type out of the entry; an entry that AddAssociation created
    // goes, with its link, when no type is left in it.
    status_t RemoveAssociation();

    // Puts the entry first in the type's default line; other applications
    // listed there stay behind it, so removing ours restores them.
    status_t AddDefault();
    status_t RemoveDefault();

    // Refreshes the desktop's cache of entries; its failure is not one of
    // the installation, since mimeapps.list decides the default.
    void UpdateDatabase();

    // The Exec= value that starts the program at path with the chosen
    // files: the path as it stands when it holds only plain characters, else
    // quoted if quoting is allowed; B_BAD_VALUE when it cannot be written.
    static status_t ExecValue(const std::string& path, bool quoting, std::string* value);

private:
    std::string LauncherPath() const;
    // Points the launcher link at executable, replacing an older link.
    status_t MakeLauncher(const std::string& executable);

    const XdgPlaces& fPlaces;
    std::string fType;
    std::string fEntryPath;
    std::string fEntryId;
};

} // namespace kit_private
