#pragma once

// The program's alert for a failure: a stop alert with the given title and
// text and the single button "OK". It blocks the calling looper until the
// user answers.
//
// Thread: any looper's, never the display's.

void StopAlert(const char* title, const char* text);
