// Reads any bytes as a file type's package file. What was read from a
// well-formed file, written out again, must read back the same.

#include <kit/storage/private/MimePackage.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using kit_private::MimePackage;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// XML 1.0 cannot carry most control characters, and a reader folds CR; the
// setters of BMimeType refuse them, so they never reach a written file.
bool writable(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    MimePackage package;
    if (MimePackage::Parse(text, &package) != B_OK)
        return 0;

    bool plain = writable(package.shortDescription) && writable(package.longDescription) &&
                 writable(package.preferredApp) && writable(package.desktopEntry);
    for (const std::string& extension : package.extensions)
        plain = plain && writable(extension);
    if (!plain)
        return 0;

    MimePackage again;
    check(MimePackage::Parse(package.Text("text/x-list"), &again) == B_OK);
    check(again.shortDescription == package.shortDescription);
    check(again.longDescription == package.longDescription);
    check(again.preferredApp == package.preferredApp);
    // The entry is written only with the application it belongs to.
    check(again.desktopEntry == (package.preferredApp.empty() ? "" : package.desktopEntry));
    check(again.extensions == package.extensions);
    check(again.largeIcon == package.largeIcon && again.miniIcon == package.miniIcon);
    return 0;
}
