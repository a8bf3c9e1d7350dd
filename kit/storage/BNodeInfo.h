#pragma once

// The MIME type of a file, kept in the extended attribute "user.mime_type" as
// the plain type string (the desktop's convention: no type code in front, no
// NUL needed).
//
// Thread: as the node it works on.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>

class BNode;

class BNodeInfo {
public:
    BNodeInfo() = default;
    explicit BNodeInfo(BNode* node);

    // The node must stay open for as long as this object uses it.
    status_t SetTo(BNode* node);
    status_t InitCheck() const { return fStatus; }

    // Sets the type; nullptr or "" removes it. The type must be shorter than
    // B_MIME_TYPE_LENGTH and look like "media/subtype".
    status_t SetType(const char* type);
    // Copies the type, NUL-terminated, into a buffer of B_MIME_TYPE_LENGTH
    // bytes. A stored value that is too long or holds a NUL byte is not a
    // type (B_BAD_TYPE, empty string). A file that carries no type of its own
    // (copied from elsewhere, written by another program) is typed as the
    // desktop types it: by its name, then by its content, from the
    // shared-mime-info database; nothing is written to the file. One the
    // database does not know either reports B_ENTRY_NOT_FOUND and an empty
    // string.
    [[nodiscard]] status_t GetType(char* type) const;

private:
    BNode* fNode = nullptr;
    status_t fStatus = B_NO_INIT;
};

namespace kit_private {

// Whether a string has the form of a MIME type: "media/subtype", printable
// ASCII without blanks and without a second slash.
bool is_valid_mime_type(const char* type);

} // namespace kit_private
