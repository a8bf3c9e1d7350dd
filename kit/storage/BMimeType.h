#pragma once

// A file type in the desktop's file-type database: the freedesktop
// shared-mime-info database under $XDG_DATA_HOME (default ~/.local/share).
//
// The setters only record values in this object; Install() writes them all:
//   - the package file mime/packages/<type with / as ->.xml with the short
//     description (comment), one glob "*.ext" per extension, the icon name and
//     the long description and preferred application in elements of the kit's
//     own namespace, then runs update-mime-database;
//   - the icons as PNG files in icons/hicolor/{16x16,32x32}/mimetypes/;
//   - for the preferred application, the type is associated with its
//     desktop entry, found by id as the desktop finds it: where an entry
//     exists (installed with the program, or the user's), by the line
//     "<type>=<entry>" in [Added Associations] of
//     $XDG_CONFIG_HOME/mimeapps.list; where none exists, by an entry of the
//     kit's own in applications/ (starting the executable by its path or,
//     where a desktop entry cannot carry that path, through a link of a
//     plain name in kit-launchers/) that lists the type in MimeType=. The
//     line "<type>=<entry>" in [Default Applications] of mimeapps.list makes
//     it the default; then update-desktop-database runs.
// Install() does all of it or, when a step fails, undoes the steps before and
// reports the failure. Delete() removes exactly what Install() added.
//
// A type is installed when its package file exists. The type string is kept
// exactly as given: the desktop compares types case-sensitively, while the
// database lower-cases its own file names.
//
// Thread: an object belongs to the thread that made it. Install() and
// Delete() block while the database tools run; two threads or processes
// installing the same type at once are not guarded against.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>

#include <string>
#include <vector>

class BBitmap;
class BMessage;

class BMimeType {
public:
    BMimeType() = default;
    // Also reads the recorded values of an installed type.
    explicit BMimeType(const char* type);

    status_t SetTo(const char* type);
    void Unset();
    status_t InitCheck() const { return fStatus; }
    // The type as given, or nullptr when the object holds none.
    const char* Type() const;

    bool IsInstalled() const;

    // Descriptions are shorter than B_MIME_TYPE_LENGTH bytes and hold no
    // control characters; nullptr removes them.
    status_t SetShortDescription(const char* description);
    status_t SetLongDescription(const char* description);
    // Only the running application can be made the preferred one, because
    // its desktop entry must name an executable to start: another signature
    // gives B_NOT_SUPPORTED and records nothing. nullptr removes it.
    status_t SetPreferredApp(const char* signature, app_verb verb = B_OPEN);
    // The string field "extensions" holds one extension a value, without the
    // dot. nullptr removes them all.
    status_t SetFileExtensions(const BMessage* extensions);
    // A B_CMAP8 or B_RGBA32 bitmap of exactly the icon's size; nullptr
    // removes the icon.
    status_t SetIcon(const BBitmap* icon, icon_size size);

    // The getters copy into buffers of B_MIME_TYPE_LENGTH bytes and report
    // B_ENTRY_NOT_FOUND for a value that is not recorded.
    [[nodiscard]] status_t GetShortDescription(char* description) const;
    [[nodiscard]] status_t GetLongDescription(char* description) const;
    [[nodiscard]] status_t GetPreferredApp(char* signature, app_verb verb = B_OPEN) const;
    [[nodiscard]] status_t GetFileExtensions(BMessage* extensions) const;

    // B_FILE_EXISTS when the type is installed already.
    status_t Install();
    // B_ENTRY_NOT_FOUND when the type is not installed.
    status_t Delete();

private:
    std::string fType;
    std::string fShortDescription;
    std::string fLongDescription;
    std::string fPreferredApp;
    std::string fExecutable;
    std::vector<std::string> fExtensions;
    std::string fLargeIcon; // PNG bytes
    std::string fMiniIcon;  // PNG bytes
    status_t fStatus = B_NO_INIT;
};
