#include "encoding/EncoderProgress.h"

#include <algorithm>

namespace {

// A progress line is short; a longer unended line is not one, and only its
// end is kept, so that endless text without a line break costs no memory.
constexpr size_t kLongestLine = 256;

} // namespace

bool EncoderProgress::Feed(std::string_view chunk) {
    const std::optional<double> before = fFraction;
    size_t start = 0;
    for (size_t i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != '\r' && chunk[i] != '\n')
            continue;
        fLine.append(chunk.substr(start, i - start));
        Read(fLine);
        fLine.clear();
        start = i + 1;
    }
    fLine.append(chunk.substr(start));
    if (fLine.size() > kLongestLine)
        fLine.erase(0, fLine.size() - kLongestLine);
    // The line being written is read too: its figure is whole once "%]"
    // follows it, long before the next carriage return comes.
    Read(fLine);
    return fFraction != before;
}

void EncoderProgress::Reset() {
    fLine.clear();
    fFraction.reset();
}

void EncoderProgress::Read(std::string_view line) {
    // "\t[", blanks, a number, "%]": the line must begin so, so that a file
    // name with brackets in it is never taken for a figure. The encoder
    // writes the number in its own locale, with a decimal point or a comma;
    // it is read by hand, since the C library would read it in ours.
    if (line.size() < 2 || line[0] != '\t' || line[1] != '[')
        return;
    size_t i = 2;
    while (i < line.size() && line[i] == ' ')
        ++i;
    auto isDigit = [&](size_t at) {
        return at < line.size() && line[at] >= '0' && line[at] <= '9';
    };
    if (!isDigit(i))
        return;
    double percent = 0;
    for (; isDigit(i); ++i)
        percent = percent * 10 + (line[i] - '0');
    if (i < line.size() && (line[i] == '.' || line[i] == ',')) {
        double place = 0.1;
        for (++i; isDigit(i); ++i, place /= 10)
            percent += (line[i] - '0') * place;
    }
    if (line.substr(i, 2) != "%]")
        return;
    fFraction = std::clamp(percent / 100.0, 0.0, 1.0);
}
