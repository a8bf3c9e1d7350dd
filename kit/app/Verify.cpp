#include <kit/app/Verify.h>

#include <cstdio>
#include <cstdlib>

namespace kit_private {

void verify_failed(const char* condition, const char* why, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: contract broken: %s (%s)\n", file, line, why, condition);
    std::fflush(stderr);
    std::abort();
}

} // namespace kit_private
