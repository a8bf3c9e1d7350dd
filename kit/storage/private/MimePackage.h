#pragma once

// The package file of one file type in the shared-mime-info database
// (mime/packages/<type>.xml): what BMimeType::Install writes and reads back.
//
// Besides the standard elements (comment, glob, icon) the file holds the
// long description, the preferred application and which icons were written,
// in elements of the kit's own namespace; update-mime-database copies
// elements of other namespaces into its per-type files unchanged.
//
// Thread: any.

#include <kit/app/SupportDefs.h>

#include <string>
#include <vector>

namespace kit_private {

struct MimePackage {
    std::string shortDescription;
    std::string longDescription;
    std::string preferredApp;
    std::string desktopEntry;
    std::vector<std::string> extensions;
    bool largeIcon = false;
    bool miniIcon = false;

    // The package file's text for type.
    std::string Text(const std::string& type) const;

    // Reads what a package file records into package (which should be
    // fresh). B_BAD_VALUE when the text is not well-formed XML; what was read
    // before the fault is kept.
    static status_t Parse(const std::string& text, MimePackage* package);
};

} // namespace kit_private
