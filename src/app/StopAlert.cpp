#include "app/StopAlert.h"

#include <kit/interface/BAlert.h>

void StopAlert(const char* title, const char* text) {
    (new BAlert(title, text, "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT))->Go();
}
