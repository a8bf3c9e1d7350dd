// The program started with a list file, as from the desktop: once the list
// widget shows every entry it prints its peak resident memory ("peak <KiB>",
// the high-water mark of its own address space) and quits.
// Run: list_memory_probe <list file> <entries>

#include "app/MFApp.h"
#include <kit/app/AppDefs.h>
#include <kit/display/Display.h>
#include <kit/display/QtDisplay.h>

#include <QApplication>
#include <QListView>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The high-water mark of the resident memory, from the kernel's own count.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const int expected = std::atoi(argv[2]);
    seam::Install(&display::Qt());
    MFApp app;
    app.SetLaunchArguments({argv[1]});
    display::Announce();
    display::Post([expected] {
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, [timer, expected] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* list = window->findChild<QListView*>(QStringLiteral("FilesList"));
                    list != nullptr && window->isVisible() &&
                    list->model()->rowCount() == expected) {
                    timer->stop();
                    std::printf("peak %ld\n", PeakKilobytes());
                    std::fflush(stdout);
                    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
                }
        });
        timer->start(5);
    });
    app.Run();
    return 0;
}
