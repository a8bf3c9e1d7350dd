// The baseline: the least a Qt Widgets program does to show one window.

#include "ShownReporter.h"

#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ShownReporter reporter([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    app.installEventFilter(&reporter);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(441, 281);
    window.show();
    return app.exec();
}
