#include "encoding/EncodeErrors.h"

#include "app/StopAlert.h"

#include <cstring>

void EncodeErrors::Clear() {
    fFailures.clear();
}

void EncodeErrors::Note(int32 index, const char* path, const BMessage* notice, bool killed) {
    if (killed || notice == nullptr)
        return;
    int32 status = 0;
    int32 signal = 0;
    const bool exitedBadly = notice->FindInt32("kit:exit_status", &status) == B_OK && status != 0;
    const bool signalled = notice->FindInt32("kit:signal", &signal) == B_OK;
    if (!exitedBadly && !signalled)
        return;
    const char* slash = path != nullptr ? std::strrchr(path, '/') : nullptr;
    std::string leaf = slash != nullptr ? slash + 1 : (path != nullptr ? path : "");
    fFailures[index] = Failure{leaf, Reason(notice)};
}

std::string EncodeErrors::Reason(const BMessage* notice) {
    std::string output;
    notice->FindString("kit:error_output", &output);
    std::string lastLine;
    std::string lastError;
    size_t start = 0;
    // The encoder rewrites its progress line with carriage returns, so an
    // error that follows the progress stands after a '\r', not at a line's
    // start: both end a line here.
    while (start < output.size()) {
        size_t end = output.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty()) {
            if (line.compare(0, 5, "ERROR") == 0)
                lastError = line;
            lastLine = line;
        }
        start = end + 1;
    }
    if (!lastError.empty())
        return lastError;
    int32 value = 0;
    // A crash's last line is most likely the encoder's progress, which says
    // nothing about the crash.
    if (notice->FindInt32("kit:signal", &value) == B_OK)
        return "durch Signal " + std::to_string(value) + " beendet";
    if (!lastLine.empty())
        return lastLine;
    notice->FindInt32("kit:exit_status", &value);
    return "mit Status " + std::to_string(value) + " beendet";
}

std::string EncodeErrors::Text() const {
    std::string text = "Diese Dateien konnten nicht kodiert werden:\n";
    size_t named = 0;
    for (auto failure = fFailures.begin(); failure != fFailures.end() && named < kNamed;
         ++failure, ++named)
        text += "\n" + failure->second.leaf + ": " + failure->second.reason;
    const size_t more = fFailures.size() - named;
    if (more > 0)
        text += "\n… und " + std::to_string(more) + " weitere";
    return text;
}

void EncodeErrors::Report() const {
    if (fFailures.empty())
        return;
    StopAlert("EncodeErrors", Text().c_str());
}
