#pragma once

// The lists the benchmark works with: paths as a music collection has them.

#include "filelist/ListFile.h"

#include <cstdio>
#include <string>

inline std::string BenchPath(const std::string& folder, int index) {
    char leaf[96];
    std::snprintf(leaf, sizeof leaf, "/Album %04d/Stück %06d – Aufnahme.wav", index / 12, index);
    return folder + leaf;
}

inline std::string BenchListContents(const std::string& folder, int count) {
    std::string contents = ListFile::kHeader;
    for (int i = 0; i < count; ++i)
        ListFile::AppendEntry(&contents, BenchPath(folder, i).c_str());
    return contents;
}
