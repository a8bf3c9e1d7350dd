// A child that writes list files in place of another and is killed while it
// does: either right before the new file would take the old one's place, or
// at any moment of saving one of two lists over and over.

#include "filelist/ListFile.h"
#include <kit/storage/AtomicFile.h>

#include <csignal>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const std::string path = argv[2];
    if (std::strcmp(argv[1], "kill-before-rename") == 0) {
        std::string contents = ListFile::kHeader;
        for (int i = 0; i < 1000; ++i)
            ListFile::AppendEntry(&contents, "/neu");
        // Killed once the new list is written in full, before it is put in
        // the old one's place.
        write_file_atomically(path, contents, 0644, [](const std::string&) {
            ::raise(SIGKILL);
            return B_OK;
        });
        return 5;
    }
    if (std::strcmp(argv[1], "save-forever") == 0) {
        std::string lists[2] = {ListFile::kHeader, ListFile::kHeader};
        for (int i = 0; i < 20000; ++i) {
            ListFile::AppendEntry(&lists[0], ("/erste/" + std::to_string(i)).c_str());
            ListFile::AppendEntry(&lists[1], ("/zweite/" + std::to_string(i)).c_str());
        }
        for (unsigned round = 1;; ++round)
            if (ListFile::Write(path.c_str(), lists[round % 2]) != ListFile::Outcome::Written)
                return 6;
    }
    return 2;
}
