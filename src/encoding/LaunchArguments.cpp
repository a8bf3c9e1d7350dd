#include "encoding/LaunchArguments.h"

#include <cstring>

status_t LaunchArguments::Split(const char* options) {
    const size_t length = options != nullptr ? std::strlen(options) : 0;
    if (length == 0)
        return B_OK;
    // The arguments never take more room than the input plus one NUL: each
    // blank that ends one becomes its NUL, and quotes are dropped.
    if (length >= kTextSize - fUsed)
        return B_BAD_VALUE;
    if (fCount >= kMaxArguments)
        return B_BAD_VALUE;

    const size_t startUsed = fUsed;
    const int32 startCount = fCount;
    size_t out = fUsed;
    fArguments[fCount++] = fText + out;
    bool quoting = false;
    for (size_t i = 0; i < length; ++i) {
        const char c = options[i];
        if (c == '"') {
            quoting = !quoting;
        } else if (c == ' ' && !quoting) {
            fText[out++] = '\0';
            if (fCount >= kMaxArguments) {
                fUsed = startUsed;
                fCount = startCount;
                return B_BAD_VALUE;
            }
            fArguments[fCount++] = fText + out;
        } else {
            fText[out++] = c;
        }
    }
    fText[out++] = '\0';
    fUsed = out;
    return B_OK;
}

status_t LaunchArguments::Add(const char* argument) {
    if (argument == nullptr || fCount >= kMaxArguments)
        return B_BAD_VALUE;
    const size_t length = std::strlen(argument);
    if (length >= kTextSize - fUsed)
        return B_BAD_VALUE;
    std::memcpy(fText + fUsed, argument, length + 1);
    fArguments[fCount++] = fText + fUsed;
    fUsed += length + 1;
    return B_OK;
}
