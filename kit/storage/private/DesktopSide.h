#pragma once

// The desktop side of a file type: which application entry the desktop
// offers for the type, and the type's line in [Default Applications] of
// mimeapps.list, which puts that entry first. Each step can be undone on its
// own, so that BMimeType can install all or nothing.
//
// The application's entry is looked up by its id as the desktop does: in
// $XDG_DATA_HOME/applications, then in each folder of $XDG_DATA_DIRS. Where
// an entry of that id exists (installed with the program, or written by the
// user), none is written and the type is recorded in [Added Associations] of
// mimeapps.list; an entry the user wrote is never changed. Only where none
// exists anywhere (the program runs from where it was built) does the kit
// write one of its own to $XDG_DATA_HOME/applications, marked as the kit's,
// which lists the type in MimeType=. A kit entry that hides an installed one
// of the same id goes (RetireHiddenEntry), and the types it listed move to
// mimeapps.list.
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
#include <vector>

namespace kit_private {

class DesktopSide {
public:
    DesktopSide(const XdgPlaces& places, const std::string& type, const std::string& entryId);

    // Associates the type with the entry: in mimeapps.list where an entry of
    // the id exists, else in the entry that it creates (with its launcher
    // link when needed) for executable. B_BAD_VALUE when no working entry
    // can be written for the executable; nothing is left behind then.
    status_t AddAssociation(const std::string& executable);
    // Takes the type's association out of mimeapps.list and out of an entry
    // of the kit's, which goes with its link when no type is left in it.
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

    // Run at each start of the application with signature: removes the
    // entry that the kit wrote for it at an earlier start when it now hides
    // an installed entry of the same id, and records the types it listed in
    // mimeapps.list instead. Failures leave the entry where it is.
    static void RetireHiddenEntry(const std::string& signature);

private:
    // The file of the id in a folder of $XDG_DATA_DIRS other than the
    // user's own, or empty.
    std::string InstalledEntry() const;
    // Removes a kit entry that hides an installed one; true when it went.
    bool Retire();
    // Adds the entry to the line of each of types in group of mimeapps.list,
    // first or last among the entries there, or takes it out of them.
    status_t EditList(const char* group, const std::vector<std::string>& types, bool add,
                      bool first);
    void RemoveLauncher();
    std::string LauncherPath() const;
    // Points the launcher link at executable, replacing an older link.
    status_t MakeLauncher(const std::string& executable);

    const XdgPlaces& fPlaces;
    std::string fType;
    std::string fEntryPath;
    std::string fEntryId;
};

} // namespace kit_private
