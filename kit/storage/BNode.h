#pragma once

// An open file-system node (a file or folder) and its typed attributes.
//
// An attribute is one extended attribute named "user." + its name. Its value
// is the 4-byte type code, most significant byte first, followed by the
// attribute's data, so a 'CSTR' attribute starts with the letters C S T R.
//
// Attributes can be written only through a node that may be written: a BFile
// opened for writing, or a plain BNode on a file whose mode grants write
// access to someone. A file whose mode grants write access to nobody counts as
// read-only even for the superuser, whom the kernel would let through; the
// program relies on a read-only executable keeping its stored options.
//
// Thread: a node belongs to the thread that made it; it holds no lock.

#include <kit/app/SupportDefs.h>
#include <kit/storage/StorageDefs.h>
#include <kit/storage/entry_ref.h>

#include <sys/types.h>
#include <vector>

class BEntry;

class BNode {
public:
    BNode() = default;
    explicit BNode(const char* path);
    explicit BNode(const entry_ref* ref);
    explicit BNode(const BEntry* entry);
    virtual ~BNode();
    BNode(const BNode&) = delete;
    BNode& operator=(const BNode&) = delete;

    // Opens the node at a path; a link at the leaf is followed.
    status_t SetTo(const char* path);
    status_t SetTo(const entry_ref* ref);
    status_t SetTo(const BEntry* entry);
    void Unset();
    status_t InitCheck() const { return fStatus; }

    // Reads up to length bytes of the attribute's data from offset into
    // buffer and returns how many it read (0 at or past the end), or
    // B_FILE_ERROR (node not open), B_ENTRY_NOT_FOUND (no such attribute),
    // B_BAD_TYPE (stored with another type; B_ANY_TYPE matches every type).
    // Never writes more than length bytes into buffer.
    ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
                     size_t length) const;
    // Writes length bytes at offset. At offset 0 the stored data becomes
    // exactly these bytes; further on, the data of an attribute of the same
    // type is kept in front and the gap, if any, filled with zero bytes.
    // Returns the count written or a negative status; on failure the old
    // value is left as it was.
    ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
                      size_t length);
    status_t RemoveAttr(const char* name);
    status_t GetAttrInfo(const char* name, attr_info* info) const;

protected:
    // Takes over an open descriptor (or a failure status when fd is -1).
    void Adopt(int fd, status_t status, bool writable);
    int Descriptor() const { return fFd; }

private:
    friend class BNodeInfo;
    friend class BAppFileInfo;

    // The whole stored value of an attribute, type code first; B_BAD_TYPE
    // when it is too short to hold one.
    status_t ReadTypedValue(const char* name, std::vector<uint8>* value) const;

    int fFd = -1;
    bool fWritable = false;
    status_t fStatus = B_NO_INIT;
};

// Whether a file's mode leaves it writable for the kit (see BNode).
// Thread: any.
bool mode_allows_writing(mode_t mode);
