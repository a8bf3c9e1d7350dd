#include "support/DisplayDriver.h"

#include <kit/display/Display.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>

#include <thread>

namespace driver {

namespace {

QWidget* FindWindow(const std::string& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == QString::fromStdString(title) &&
            qobject_cast<QMessageBox*>(widget) == nullptr)
            return widget;
    return nullptr;
}

QWidget* FindIn(const std::string& windowTitle, const std::string& name) {
    QWidget* window = FindWindow(windowTitle);
    if (window == nullptr)
        return nullptr;
    return window->findChild<QWidget*>(QString::fromStdString(name));
}

WidgetInfo Describe(QWidget* widget, bool topLevel) {
    WidgetInfo info;
    if (widget == nullptr)
        return info;
    info.exists = true;
    info.visible = widget->isVisible();
    info.enabled = widget->isEnabled();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        info.text = button->text().toStdString();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        info.text = label->text().toStdString();
    else if (topLevel)
        info.text = widget->windowTitle().toStdString();
    QRect geometry = widget->geometry();
    info.x = geometry.x();
    info.y = geometry.y();
    info.width = geometry.width();
    info.height = geometry.height();
    info.className = widget->metaObject()->className();
    info.accessibleName = widget->accessibleName().toStdString();
    return info;
}

QMenu* FindMenu(const std::string& windowTitle, const std::string& menu) {
    QWidget* window = FindWindow(windowTitle);
    if (window == nullptr)
        return nullptr;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (QAction* action : bar->actions())
            if (action->menu() != nullptr &&
                action->menu()->title() == QString::fromStdString(menu))
                return action->menu();
    return nullptr;
}

QMessageBox* OpenAlert() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (OnDisplay<bool>(condition))
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        display::Invoke([] {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
}

bool AlertShown(const std::string& title) {
    return OnDisplay<bool>([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible() &&
                widget->objectName() == QString::fromStdString(title))
                return true;
        return false;
    });
}

WidgetInfo Window(const std::string& title) {
    return OnDisplay<WidgetInfo>([&] { return Describe(FindWindow(title), true); });
}

WidgetInfo Widget(const std::string& windowTitle, const std::string& objectName) {
    return OnDisplay<WidgetInfo>([&] { return Describe(FindIn(windowTitle, objectName), false); });
}

bool WaitForWidget(const std::string& windowTitle, const std::string& objectName) {
    return WaitFor([&] { return FindIn(windowTitle, objectName) != nullptr; });
}

bool Click(const std::string& windowTitle, const std::string& objectName) {
    return OnDisplay<bool>([&] {
        auto* button = qobject_cast<QAbstractButton*>(FindIn(windowTitle, objectName));
        if (button == nullptr || !button->isEnabled())
            return false;
        button->click();
        return true;
    });
}

bool ChooseMenuItem(const std::string& windowTitle, const std::string& menu,
                    const std::string& item) {
    return OnDisplay<bool>([&] {
        QMenu* found = FindMenu(windowTitle, menu);
        if (found == nullptr)
            return false;
        for (QAction* action : found->actions())
            if (action->objectName() == QString::fromStdString(item) && action->isEnabled()) {
                action->trigger();
                return true;
            }
        return false;
    });
}

std::vector<std::string> MenuItems(const std::string& windowTitle, const std::string& menu) {
    return OnDisplay<std::vector<std::string>>([&] {
        std::vector<std::string> items;
        if (QMenu* found = FindMenu(windowTitle, menu))
            for (QAction* action : found->actions())
                items.push_back(action->isSeparator() ? std::string("-")
                                                      : action->objectName().toStdString());
        return items;
    });
}

std::vector<std::string> MenuTitles(const std::string& windowTitle) {
    return OnDisplay<std::vector<std::string>>([&] {
        std::vector<std::string> titles;
        if (QWidget* window = FindWindow(windowTitle))
            for (QMenuBar* bar : window->findChildren<QMenuBar*>())
                for (QAction* action : bar->actions())
                    titles.push_back(action->text().toStdString());
        return titles;
    });
}

bool CloseWindow(const std::string& windowTitle) {
    return OnDisplay<bool>([&] {
        QWidget* window = FindWindow(windowTitle);
        if (window == nullptr)
            return false;
        window->close();
        return true;
    });
}

std::vector<std::string> TabLabels(const std::string& windowTitle) {
    return OnDisplay<std::vector<std::string>>([&] {
        std::vector<std::string> labels;
        if (QWidget* window = FindWindow(windowTitle))
            if (auto* bar = window->findChild<QTabBar*>())
                for (int i = 0; i < bar->count(); ++i)
                    labels.push_back(bar->tabText(i).toStdString());
        return labels;
    });
}

std::vector<int> TabWidths(const std::string& windowTitle) {
    return OnDisplay<std::vector<int>>([&] {
        std::vector<int> widths;
        if (QWidget* window = FindWindow(windowTitle))
            if (auto* bar = window->findChild<QTabBar*>())
                for (int i = 0; i < bar->count(); ++i)
                    widths.push_back(bar->tabRect(i).width());
        return widths;
    });
}

namespace {

Picture GrabWidget(QWidget* window, const std::string& savePath) {
    Picture picture;
    if (window == nullptr)
        return picture;
    QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!savePath.empty())
        image.save(QString::fromStdString(savePath));
    picture.width = image.width();
    picture.height = image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            picture.pixels.push_back(image.pixel(x, y));
    return picture;
}

} // namespace

Picture Grab(const std::string& windowTitle, const std::string& savePath) {
    return OnDisplay<Picture>([&] { return GrabWidget(FindWindow(windowTitle), savePath); });
}

Picture GrabAlert(const std::string& savePath, std::chrono::milliseconds timeout) {
    if (!WaitFor([] { return OpenAlert() != nullptr; }, timeout))
        return {};
    return OnDisplay<Picture>([&] { return GrabWidget(OpenAlert(), savePath); });
}

Area InWindow(const std::string& windowTitle, const std::string& objectName) {
    return OnDisplay<Area>([&] {
        Area area;
        QWidget* window = FindWindow(windowTitle);
        QWidget* widget = FindIn(windowTitle, objectName);
        if (window == nullptr || widget == nullptr)
            return area;
        const QPoint topLeft = widget->mapTo(window, QPoint(0, 0));
        area.exists = true;
        area.left = topLeft.x();
        area.top = topLeft.y();
        area.right = topLeft.x() + widget->width() - 1;
        area.bottom = topLeft.y() + widget->height() - 1;
        area.neededWidth = widget->sizeHint().width();
        return area;
    });
}

int CurrentTab(const std::string& windowTitle) {
    return OnDisplay<int>([&] {
        if (QWidget* window = FindWindow(windowTitle))
            if (auto* bar = window->findChild<QTabBar*>())
                return bar->currentIndex();
        return -1;
    });
}

std::vector<int> WindowIconSizes(const std::string& windowTitle) {
    return OnDisplay<std::vector<int>>([&] {
        std::vector<int> sizes;
        if (QWidget* window = FindWindow(windowTitle))
            for (const QSize& size : window->windowIcon().availableSizes())
                sizes.push_back(size.width());
        return sizes;
    });
}

unsigned WindowIconPixel(const std::string& windowTitle, int size, int x, int y) {
    return OnDisplay<unsigned>([&]() -> unsigned {
        QWidget* window = FindWindow(windowTitle);
        if (window == nullptr)
            return 0;
        QImage image = window->windowIcon().pixmap(size, size).toImage();
        return image.pixel(x, y);
    });
}

std::optional<AlertInfo> AnswerAlert(const std::string& button, std::chrono::milliseconds timeout) {
    if (!WaitFor([] { return OpenAlert() != nullptr; }, timeout))
        return std::nullopt;
    return OnDisplay<std::optional<AlertInfo>>([&]() -> std::optional<AlertInfo> {
        QMessageBox* box = OpenAlert();
        if (box == nullptr)
            return std::nullopt;
        AlertInfo info;
        info.title = box->objectName().toStdString();
        info.shownTitle = box->windowTitle().toStdString();
        info.text = box->text().toStdString();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* candidate : box->buttons()) {
            info.buttons.push_back(candidate->objectName().toStdString());
            if (candidate->objectName() == QString::fromStdString(button))
                chosen = candidate;
        }
        if (chosen != nullptr)
            chosen->click();
        return info;
    });
}

} // namespace driver
