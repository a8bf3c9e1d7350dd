// The baseline: the least a Qt Widgets program does to show one window.
// With the argument "text" the window holds one push button, so that the
// program also pays for setting up fonts, as every window with text does.

#include "ShownReporter.h"

#include <QPushButton>
#include <QTimer>

#include <cstring>

int main(int argc, char** argv) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "text") == 0;
    QApplication app(argc, argv);
    ShownReporter reporter([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    app.installEventFilter(&reporter);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(441, 281);
    if (withText)
        new QPushButton(QStringLiteral("Beenden"), &window);
    window.show();
    return app.exec();
}
