#pragma once

// The argument vector of one encoder launch, in fixed storage: a text of at
// most 4096 bytes holding the arguments one after the other, each ended by a
// NUL, and at most 256 pointers into it. Arguments are appended either split
// from an options string by the quoting rule below, or whole.
//
// The quoting rule: only the blank (0x20) separates arguments, and each blank
// outside quotes ends one, so runs of blanks give empty arguments. The double
// quote (0x22) is never copied; it turns quoting on and off, and a blank
// within quotes belongs to the argument. Every other byte is copied as it is.
// An empty string gives no argument at all.
//
// Thread: any; an object belongs to the thread that made it.

#include <kit/app/SupportDefs.h>

#include <cstddef>

class LaunchArguments {
public:
    static constexpr size_t kTextSize = 4096;
    static constexpr int32 kMaxArguments = 256;

    LaunchArguments() = default;
    LaunchArguments(const LaunchArguments&) = delete;
    LaunchArguments& operator=(const LaunchArguments&) = delete;

    // Appends the arguments that options splits into. B_BAD_VALUE, with
    // nothing appended, when they would pass either bound (null counts as
    // the empty string).
    status_t Split(const char* options);
    // Appends argument as one argument, byte for byte. B_BAD_VALUE, with
    // nothing appended, when it would pass either bound or is null.
    status_t Add(const char* argument);

    int32 Count() const { return fCount; }
    const char* const* Vector() const { return fArguments; }
    const char* At(int32 index) const {
        return index >= 0 && index < fCount ? fArguments[index] : nullptr;
    }

private:
    char fText[kTextSize];
    size_t fUsed = 0;
    const char* fArguments[kMaxArguments];
    int32 fCount = 0;
};
