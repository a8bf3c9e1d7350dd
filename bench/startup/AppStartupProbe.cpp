// The program's own start-up path, from main to the main window on the
// screen, reporting when the window is first painted and then quitting the
// way "Beenden" does.

#include "ShownReporter.h"
#include "app/MFApp.h"
#include <kit/app/AppDefs.h>
#include <kit/display/Display.h>
#include <kit/display/QtDisplay.h>

int main() {
    seam::Install(&display::Qt());
    MFApp app;
    // The watch is set up as the display's first task, before any window
    // of the program exists; the start-up itself is left as it is.
    ShownReporter reporter([] { be_app_messenger.SendMessage(B_QUIT_REQUESTED); });
    display::Announce();
    display::Post([&reporter] { qApp->installEventFilter(&reporter); });
    app.Run();
    return 0;
}
