#pragma once

// Contracts that stay on in every build. A broken one is a fault in the
// program, not a condition to recover from: it is reported with its place and
// the process aborts, so that the fault shows where it happens instead of as
// a deadlock or a corrupted view later on. Each check is a single comparison,
// cheap enough for release builds.

namespace kit_private {
[[noreturn]] void verify_failed(const char* condition, const char* why, const char* file, int line);
} // namespace kit_private

#define KIT_VERIFY(condition, why)                                                                 \
    do {                                                                                           \
        if (!(condition)) [[unlikely]]                                                             \
            ::kit_private::verify_failed(#condition, why, __FILE__, __LINE__);                     \
    } while (false)
