#pragma once

// Reads the encoder's own account of how far it has come from what it
// writes to standard error. The encoder rewrites one line, each time after
// a carriage return: a tab, then the share done in brackets, "[ 45.3%]",
// then the time left. The text comes in chunks cut anywhere, even inside a
// number, so a figure counts only once its closing "%]" has arrived.
// An encoder that writes no such line (one told to be quiet, or another
// program) leaves the fraction unknown.
//
// Thread: one at a time; the owner's lock guards it.

#include <optional>
#include <string>
#include <string_view>

class EncoderProgress {
public:
    // Takes the next chunk of the encoder's standard error. Answers whether
    // the fraction changed.
    bool Feed(std::string_view chunk);
    // The last share done that was read, from 0 to 1; none before the first.
    std::optional<double> Fraction() const { return fFraction; }
    // Forgets everything, for the next file.
    void Reset();

private:
    // Reads one line, from just after its carriage return or line feed.
    void Read(std::string_view line);

    // The line that has begun but not ended yet.
    std::string fLine;
    std::optional<double> fFraction;
};
