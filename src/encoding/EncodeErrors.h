#pragma once

// The entries of one run whose encoder failed, and the alert that names them
// when the run ends. An encoder failed when it exited with a status other
// than 0 or a signal ended it that the run did not send; each failure is
// named with the encoder's own reason, its last error line.
//
// Thread: the main window's lock holder, like the rest of the run.

#include <kit/app/BMessage.h>

#include <map>
#include <string>

class EncodeErrors {
public:
    // The alert names this many entries, then says how many more failed.
    static constexpr size_t kNamed = 10;

    void Clear();
    // Looks at the quit notice of the encoder of the entry at index (from 0)
    // and path, and notes the entry if that encoder failed. killed says that
    // the run ended it itself ("Datei auslassen"): that is never a failure.
    void Note(int32 index, const char* path, const BMessage* notice, bool killed);
    int32 Count() const { return static_cast<int32>(fFailures.size()); }

    // The alert's text: a line that says what happened, then one line per
    // named entry in list order, whatever order their encoders ended in: its
    // leaf name, a colon and the reason.
    std::string Text() const;
    // Shows the stop alert "EncodeErrors" with the button "OK" and waits for
    // it, if any entry failed; otherwise does nothing.
    void Report() const;

    // Why the encoder of a notice failed: its last line that begins with
    // "ERROR", else the signal that ended it, else its last line, else its
    // exit status.
    static std::string Reason(const BMessage* notice);

private:
    struct Failure {
        std::string leaf;
        std::string reason;
    };
    // By list index.
    std::map<int32, Failure> fFailures;
};
