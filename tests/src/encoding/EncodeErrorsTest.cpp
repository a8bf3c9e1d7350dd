// Why an encoder failed, as the failure alert names it, read from the quit
// notice that the kit gives the run: the encoder's last lines of standard
// error (each ended with a line feed), its exit status or the signal.

#include "encoding/EncodeErrors.h"
#include <kit/app/AppDefs.h>

#include <gtest/gtest.h>

#include <optional>

TEST(EncodeErrors, TheReasonPrefersTheErrorLineThenTheSignalThenTheLastLine) {
    struct Case {
        const char* what;
        const char* output;
        std::optional<int32> status, signal;
        const char* reason;
    };
    const Case cases[] = {
        {"an error line and more after it", "ERROR: bad\nDone.\n", 1, {}, "ERROR: bad"},
        {"the last of two error lines", "ERROR: one\nERROR: two\nDone.\n", 1, {}, "ERROR: two"},
        {"an error line before a crash", "ERROR: bad\n\t[ 45.3%]\n", {}, 11, "ERROR: bad"},
        {"an error line after progress rewritten in place",
         "\t[ 45.3%] [ 0m02s remaining] \\\rERROR: bad\n",
         1,
         {},
         "ERROR: bad"},
        {"a crash after progress", "\t[ 45.3%]\n", {}, 11, "durch Signal 11 beendet"},
        {"only other lines", "Opening\nno such format\n", 1, {}, "no such format"},
        {"nothing written", "", 2, {}, "mit Status 2 beendet"},
    };
    for (const Case& c : cases) {
        BMessage notice(B_SOME_APP_QUIT);
        notice.AddString("kit:error_output", c.output);
        if (c.status)
            notice.AddInt32("kit:exit_status", *c.status);
        if (c.signal)
            notice.AddInt32("kit:signal", *c.signal);
        EXPECT_EQ(EncodeErrors::Reason(&notice), c.reason) << c.what;
    }
}
