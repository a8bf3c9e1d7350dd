// The baseline for the kit's own cost: the program's main window built with
// Qt Widgets directly, as a plain Qt program would build it: the menu bar with
// "Liste" and "Hilfe", a tab widget with the three pages and everything on
// them (the files page in front, the other two built but hidden), the two
// buttons under the tabs, at the program's own sizes and places. Like the
// program, it leaves the progress window to its first use. It reports its
// first paint and quits, as the start-up probe does.

#include "ShownReporter.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace {

// Every widget that shows a text takes the size its text needs at the
// desktop's font, as the program's do; only the arithmetic of the places is
// written out.
QPushButton* Button(const char* label, QWidget* parent, int left, int top, bool enabled = true) {
    auto* button = new QPushButton(QString::fromUtf8(label), parent);
    button->setGeometry(left, top, std::max(75, button->sizeHint().width()), 22);
    button->setEnabled(enabled);
    return button;
}

// A button whose right edge stays where it is.
QPushButton* RightButton(const char* label, QWidget* parent, int right, int top,
                         bool enabled = true) {
    QPushButton* button = Button(label, parent, 0, top, enabled);
    button->move(right - button->width() + 1, top);
    return button;
}

QLabel* Label(const char* text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(QRect(QPoint(left, top), label->sizeHint()));
    return label;
}

// A page of the tab widget; what it shows keeps a margin to the page's frame.
QWidget* Page(QWidget** body) {
    auto* page = new QWidget;
    *body = new QWidget(page);
    (*body)->setGeometry(10, 10, 440, 190);
    return page;
}

QCheckBox* CheckBox(const char* text, QWidget* parent, int top) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setGeometry(QRect(QPoint(0, top), box->sizeHint()));
    return box;
}

QWidget* FilesPage() {
    QWidget* page = nullptr;
    QWidget* tab = Page(&page);
    auto* list = new QListWidget(page);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setGeometry(0, 0, 440, 161);
    QPushButton* remove = RightButton("Entfernen", page, 439, 165, false);
    RightButton("Hinzufügen...", page, remove->x() - 5, 165);
    QPushButton* up = Button("Nach oben schieben", page, 0, 165, false);
    Button("Nach unten schieben", page, up->geometry().right() + 5, 165, false);
    return tab;
}

QWidget* EncoderPage() {
    QWidget* page = nullptr;
    QWidget* tab = Page(&page);
    Label("Bitrate (ungefähr):", page, 0, 4);
    auto* bitrate = new QPushButton(QStringLiteral("Standard"), page);
    auto* menu = new QMenu(bitrate);
    auto* standard = menu->addAction(QStringLiteral("Standard"));
    standard->setCheckable(true);
    standard->setChecked(true);
    menu->addSeparator();
    for (int rate : {112, 128, 160, 192, 256, 350})
        menu->addAction(QStringLiteral("%1 kbps").arg(rate))->setCheckable(true);
    bitrate->setMenu(menu);
    bitrate->setGeometry(117, 0, bitrate->sizeHint().width(), 22);
    Label("Zusätzliche Parameter:", page, 0, 31);
    auto* extra = new QLineEdit(page);
    extra->setGeometry(141, 27, 292, extra->sizeHint().height());
    return tab;
}

QWidget* ProgramPage() {
    QWidget* page = nullptr;
    QWidget* tab = Page(&page);
    Label("Pfad zu Oggenc:", page, 0, 5);
    auto* path = new QLineEdit(QStringLiteral("/boot/home/config/bin/oggenc"), page);
    path->setGeometry(117, 1, 237, path->sizeHint().height());
    RightButton("Suchen...", page, 439, 0);
    CheckBox("\"Dateien hinzufügen\"-Dialog nach dem Hinzufügen von Dateien\nnicht schließen", page,
             27);
    CheckBox("Aktuelle Liste beim Öffnen einer anderen Liste nicht löschen", page, 65);
    CheckBox("MIME-Typ beim Start automatisch installieren", page, 89)->setChecked(true);
    QPushButton* install = Button("MIME-Typ jetzt installieren", page, 19, 113);
    Button("MIME-Typ jetzt löschen", page, install->geometry().right() + 4, 113);
    QLabel* encoders = Label("Gleichzeitige Kodierungen:", page, 0, 148);
    auto* count = new QSpinBox(page);
    count->setRange(1, 2);
    count->setGeometry(QRect(QPoint(encoders->geometry().right() + 7, 144), count->sizeHint()));
    Label("Dieser Rechner hat 2 Prozessorkerne.", page, 0, 171);
    return tab;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ShownReporter reporter([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    app.installEventFilter(&reporter);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Mirvex OggVorbis Frontend 1.2a"));
    window.setFixedSize(472, 297);
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
    menuBar->setGeometry(0, 0, 472, menuBar->sizeHint().height());

    const int top = menuBar->height();
    QPushButton* close = RightButton("Beenden", &window, 466, top + 248);
    RightButton("Kodieren!", &window, close->x() - 4, top + 248, false);

    auto* tabs = new QTabWidget(&window);
    tabs->setGeometry(5, top + 5, 462, 239);
    tabs->addTab(FilesPage(), QStringLiteral("Dateien"));
    tabs->addTab(EncoderPage(), QStringLiteral("Oggenc-Optionen"));
    tabs->addTab(ProgramPage(), QStringLiteral("Programm-Optionen"));

    window.show();
    return app.exec();
}
