#include "app/MFApp.h"
#include <kit/display/QtDisplay.h>

int main() {
    // The kit draws through the display installed here, before anything of
    // the kit runs.
    seam::Install(&display::Qt());
    MFApp app;
    app.Run();
    return 0;
}
