#pragma once

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return fPath; }
    // Path() + "/" + leaf.
    std::string File(const std::string& leaf) const { return fPath + "/" + leaf; }
    // Writes a file below the folder and returns its path.
    std::string Write(const std::string& leaf, const std::string& contents) const;

private:
    std::string fPath;
};

// Reads a whole file; empty if it cannot be read.
std::string ReadFileText(const std::string& path);
