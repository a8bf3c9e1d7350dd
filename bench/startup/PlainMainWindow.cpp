// The baseline for the kit's own cost: the program's main window built with
// Qt Widgets directly, as a plain Qt program would build it: the menu bar with
// "Liste" and "Hilfe", a tab widget with the three pages, the two buttons,
// and the progress window made but left hidden. It reports its first paint
// and quits, as the start-up probe does.

#include "ShownReporter.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ShownReporter reporter([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    app.installEventFilter(&reporter);

    // Made first and kept hidden, as the program's progress window is.
    QWidget progress;
    progress.setWindowTitle(QStringLiteral("Fortschritt der Kodierung"));
    progress.setFixedSize(301, 111);
    new QLabel(QStringLiteral("Datei 0 von 0"), &progress);
    (new QPushButton(QStringLiteral("Datei auslassen"), &progress))->move(10, 70);
    (new QPushButton(QStringLiteral("Kodieren abbrechen"), &progress))->move(150, 70);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Mirvex OggVorbis Frontend 1.2a"));
    window.setFixedSize(441, 281);
    auto* menuBar = new QMenuBar(&window);
    QMenu* list = menuBar->addMenu(QStringLiteral("Liste"));
    list->addAction(QStringLiteral("Neu"));
    list->addAction(QStringLiteral("Speichern..."));
    list->addAction(QStringLiteral("Öffnen..."));
    list->addSeparator();
    list->addAction(QStringLiteral("Beenden"));
    QMenu* help = menuBar->addMenu(QStringLiteral("Hilfe"));
    help->addAction(QStringLiteral("Liesmich"));
    help->addSeparator();
    help->addAction(QStringLiteral("Über..."));
    menuBar->setGeometry(0, 0, 441, menuBar->sizeHint().height());

    const int top = menuBar->height();
    auto* close = new QPushButton(QStringLiteral("Beenden"), &window);
    close->resize(close->sizeHint());
    close->move(441 - 5 - close->width(), 281 - 5 - close->height());
    auto* encode = new QPushButton(QStringLiteral("Kodieren!"), &window);
    encode->resize(encode->sizeHint());
    encode->move(close->x() - 4 - encode->width(), close->y());
    encode->setEnabled(false);

    auto* tabs = new QTabWidget(&window);
    tabs->setGeometry(5, top + 5, 431, close->y() - top - 10);
    for (const char* page : {"Dateien", "Oggenc-Optionen", "Programm-Optionen"})
        tabs->addTab(new QWidget, QString::fromUtf8(page));

    window.show();
    return app.exec();
}
