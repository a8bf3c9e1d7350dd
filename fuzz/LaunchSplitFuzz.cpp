// Splits arbitrary bytes into encoder arguments and checks the result against
// a plain model of the quoting rule: the same arguments when the input fits
// the fixed storage, a refusal that keeps what was there when it does not,
// and never a write outside the storage (which AddressSanitizer watches).

#include "encoding/LaunchArguments.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Model(const std::string& input) {
    std::vector<std::string> arguments;
    if (input.empty())
        return arguments;
    arguments.emplace_back();
    bool quoting = false;
    for (char c : input) {
        if (c == '"')
            quoting = !quoting;
        else if (c == ' ' && !quoting)
            arguments.emplace_back();
        else
            arguments.back() += c;
    }
    return arguments;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte says how many bytes a first argument takes up before
    // the split, so that the bounds are met at every filling; the rest is the
    // options string, up to its first NUL.
    if (size == 0)
        return 0;
    const size_t before = size_t(data[0]) * 16;
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    input = input.substr(0, std::strlen(input.c_str()));

    LaunchArguments arguments;
    const std::string first(before, 'p');
    Check(arguments.Add(first.c_str()) == B_OK);
    const status_t status = arguments.Split(input.c_str());

    const std::vector<std::string> expected = Model(input);
    const size_t room = LaunchArguments::kTextSize - (before + 1);
    const bool fits = input.size() < room &&
                      expected.size() + 1 <= size_t(LaunchArguments::kMaxArguments);
    Check((status == B_OK) == fits);
    if (status != B_OK) {
        Check(arguments.Count() == 1);
        Check(first == arguments.At(0));
        return 0;
    }
    Check(size_t(arguments.Count()) == expected.size() + 1);
    Check(first == arguments.At(0));
    for (size_t i = 0; i < expected.size(); ++i)
        Check(expected[i] == arguments.At(int32(i + 1)));
    return 0;
}
