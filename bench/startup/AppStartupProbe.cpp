// The program's own start-up path, from main to the main window on the
// screen, reporting when the window is first painted and then quitting the
// way "Beenden" does.

#include "app/AppDefs.h"
#include "app/MFApp.h"
#include "ShownReporter.h"

int main() {
    MFApp app;
    ShownReporter reporter([] { be_app_messenger.SendMessage(B_QUIT_REQUESTED); });
    qApp->installEventFilter(&reporter);
    app.Run();
    return 0;
}
