#include <kit/storage/BMimeType.h>

#include <kit/app/AppInfo.h>
#include <kit/app/BMessage.h>
#include <kit/interface/BBitmap.h>
#include <kit/storage/AtomicFile.h>
#include <kit/storage/BNodeInfo.h>
#include <kit/storage/private/DesktopSide.h>
#include <kit/storage/private/MimePackage.h>
#include <kit/storage/private/StorageFiles.h>
#include <kit/storage/private/ToolRunner.h>
#include <kit/storage/private/XdgPlaces.h>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

using kit_private::DesktopSide;
using kit_private::has_control_characters;
using kit_private::MimePackage;
using kit_private::read_text;
using kit_private::remove_file;
using kit_private::XdgPlaces;

namespace {

// Writes one of the type's files, making the folders it lives in.
status_t write_file(const std::string& path, const std::string& contents) {
    if (status_t status = kit_private::make_folders(kit_private::folder_of(path)); status != B_OK)
        return status;
    return write_file_atomically(path, contents);
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

status_t update_mime_database(const XdgPlaces& places) {
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
    XdgPlaces places;
    std::string text;
    MimePackage record;
    if (XdgPlaces::Find(fType, &places) == B_OK && read_text(places.packageFile, &text) == B_OK &&
        MimePackage::Parse(text, &record) == B_OK) {
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
    XdgPlaces places;
    struct stat info {};
    return fStatus == B_OK && XdgPlaces::Find(fType, &places) == B_OK &&
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
    XdgPlaces places;
    if (status_t status = XdgPlaces::Find(fType, &places); status != B_OK)
        return status;
    // A preferred application read back from an earlier installation has no
    // executable yet: find it now, before anything is written.
    if (!fPreferredApp.empty() && fExecutable.empty()) {
        std::string signature = fPreferredApp;
        if (status_t status = SetPreferredApp(signature.c_str()); status != B_OK)
            return status;
    }

    MimePackage record;
    record.shortDescription = fShortDescription;
    record.longDescription = fLongDescription;
    record.extensions = fExtensions;
    record.largeIcon = !fLargeIcon.empty();
    record.miniIcon = !fMiniIcon.empty();
    if (!fPreferredApp.empty()) {
        record.preferredApp = fPreferredApp;
        record.desktopEntry = kit_private::desktop_entry_id(fPreferredApp);
    }
    DesktopSide desktop(places, fType, record.desktopEntry);

    // Each step records what it did, so that a later failure can undo it.
    bool wroteLarge = false;
    bool wroteMini = false;
    bool associated = false;
    bool madeDefault = false;
    status_t status = B_OK;
    if (record.largeIcon && (status = write_file(places.largeIcon, fLargeIcon)) == B_OK)
        wroteLarge = true;
    if (status == B_OK && record.miniIcon &&
        (status = write_file(places.miniIcon, fMiniIcon)) == B_OK)
        wroteMini = true;
    if (status == B_OK && !fPreferredApp.empty()) {
        if ((status = desktop.AddAssociation(fExecutable)) == B_OK)
            associated = true;
        if (status == B_OK && (status = desktop.AddDefault()) == B_OK)
            madeDefault = true;
    }
    bool wrotePackage = false;
    if (status == B_OK && (status = write_file(places.packageFile, record.Text(fType))) == B_OK)
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
    XdgPlaces places;
    if (status_t status = XdgPlaces::Find(fType, &places); status != B_OK)
        return status;
    std::string text;
    if (status_t status = read_text(places.packageFile, &text); status != B_OK)
        return status;
    // A package file that cannot be parsed still goes; only what it records
    // besides itself is left alone.
    MimePackage record;
    if (MimePackage::Parse(text, &record) != B_OK)
        record = MimePackage();

    if (status_t status = remove_file(places.packageFile); status != B_OK)
        return status;
    if (status_t status = update_mime_database(places); status != B_OK) {
        // Put the package file back, so that the type stays whole.
        write_file(places.packageFile, text);
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
