#pragma once

// What an application file carries besides its code: here, its icons. The
// icons are compiled into the program, so only the file of the running
// executable has them (see storage/AppResources.h); any other file has none.
//
// Thread: as the file it works on.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>

class BBitmap;
class BFile;

class BAppFileInfo {
public:
    BAppFileInfo() = default;
    explicit BAppFileInfo(BFile* file);

    // The file must stay open for as long as this object uses it.
    status_t SetTo(BFile* file);
    status_t InitCheck() const { return fStatus; }

    // Copies the icon of the given size into a B_CMAP8 bitmap of exactly that
    // size. Fails, leaving the bitmap untouched, when the file is not the
    // running executable (B_NAME_NOT_FOUND), when no such icon is registered
    // (B_ENTRY_NOT_FOUND) or when the bitmap does not fit (B_BAD_VALUE).
    [[nodiscard]] status_t GetIcon(BBitmap* icon, icon_size size) const;

private:
    BFile* fFile = nullptr;
    status_t fStatus = B_NO_INIT;
};
