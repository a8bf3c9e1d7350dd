#pragma once

// A regular file opened for reading and/or writing, with the attributes of
// its node. Open modes are B_READ_ONLY, B_WRITE_ONLY or B_READ_WRITE, with
// B_CREATE_FILE, B_ERASE_FILE, B_FAIL_IF_EXISTS and B_OPEN_AT_END added.
//
// Opening for writing fails with B_PERMISSION_DENIED when the file's mode
// grants write access to nobody, whoever runs the program (see BNode); such a
// file is never erased. The descriptor is closed on exec.
//
// Thread: a file belongs to the thread that made it; it holds no lock.

#include <kit/storage/BNode.h>

class BFile : public BNode {
public:
    BFile() = default;
    BFile(const char* path, uint32 openMode);
    BFile(const entry_ref* ref, uint32 openMode);
    BFile(const BEntry* entry, uint32 openMode);

    status_t SetTo(const char* path, uint32 openMode);
    status_t SetTo(const entry_ref* ref, uint32 openMode);
    status_t SetTo(const BEntry* entry, uint32 openMode);

    bool IsReadable() const;
    bool IsWritable() const;

    // Read and Write go on from the file position; ReadAt and WriteAt leave
    // it alone. Each returns the count moved or a negative status.
    ssize_t Read(void* buffer, size_t size);
    ssize_t ReadAt(off_t position, void* buffer, size_t size);
    ssize_t Write(const void* buffer, size_t size);
    ssize_t WriteAt(off_t position, const void* buffer, size_t size);
    [[nodiscard]] status_t GetSize(off_t* size) const;
    status_t SetSize(off_t size);

private:
    uint32 fMode = 0;
};
