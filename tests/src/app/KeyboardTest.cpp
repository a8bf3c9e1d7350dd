// The main window from the keyboard alone: where the keys start, that the
// focus is seen wherever it is, the order Tab goes in, the menus on F10, and
// that a stray key at start ends nothing.

#include "MainWidget.h"
#include "RunningApp.h"

#include "filelist/FilesList.h"
#include "mainwindow/TabView.h"
#include "support/TempDir.h"

#include <kit/app/BAutolock.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

QWidget* Named(const char* name) {
    QWidget* window = MainWidget();
    return window != nullptr ? window->findChild<QWidget*>(QLatin1String(name)) : nullptr;
}

// A control made of parts (a menu field's button, a text control's line, a
// number control's field) is known by the view it belongs to.
std::string ViewNameOf(const QWidget* widget) {
    if (widget == nullptr)
        return "<none>";
    const QString name = widget->objectName();
    if ((name == QLatin1String("MenuButton") || name == QLatin1String("Field") ||
         name.startsWith(QLatin1Char('_'))) &&
        widget->parentWidget() != nullptr)
        return widget->parentWidget()->objectName().toStdString();
    return name.toStdString();
}

// What a screen reader reads for the widget, unless that is only the
// widget's internal name, which no reader should hear.
std::string ReadableName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    const QString name = accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
    if (name == widget->objectName() || name.toStdString() == ViewNameOf(widget))
        return {};
    return name.toStdString();
}

std::string FocusName() {
    return driver::OnDisplay<std::string>([] { return ViewNameOf(QApplication::focusWidget()); });
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    driver::OnDisplay<bool>([&] {
        QWidget* target = QApplication::activePopupWidget();
        if (target == nullptr)
            target = QApplication::focusWidget();
        if (target == nullptr)
            return false;
        QTest::keyClick(target, key, modifiers);
        return true;
    });
}

std::string OpenMenu() {
    return driver::OnDisplay<std::string>([] {
        QWidget* popup = QApplication::activePopupWidget();
        return popup != nullptr ? popup->objectName().toStdString() : std::string("<none>");
    });
}

class Keyboard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.shown);
        // The window shown first is the active one, with nobody's help:
        // only then do its keys reach it and its focus show.
        ASSERT_TRUE(driver::WaitFor([] {
            QWidget* window = MainWidget();
            return window != nullptr && window->isActiveWindow();
        }));
    }

    void ShowPage(int page) {
        {
            BAutolock lock(running.window);
            ASSERT_TRUE(lock.IsLocked());
            running.window->tabView->Select(page);
        }
        ASSERT_TRUE(driver::WaitFor([&] { return driver::CurrentTab(kMainTitle) == page; }));
        driver::Settle();
    }

    RunningApp running;
};

} // namespace

// At start the keys are in the list, and the focus is drawn there and on
// every other control it goes to, also when a click put it there.
TEST_F(Keyboard, StartsInTheListAndTheFocusIsDrawnWhereverItIs) {
    ASSERT_TRUE(driver::WaitFor([] {
        return ViewNameOf(QApplication::focusWidget()) == "FilesList";
    })) << "the focus starts in "
        << FocusName();

    struct Case {
        int page;
        const char* focused; // the widget that takes the focus
        const char* drawn;   // the widget that shows it
    };
    const Case cases[] = {
        {0, "FilesList", "FilesScroll"},   {0, "AddFiles", "AddFiles"},
        {0, "CloseButton", "CloseButton"}, {0, "TabBar", "TabBar"},
        {1, "MenuButton", "MenuButton"},   {2, "DontCloseOnAdd", "DontCloseOnAdd"}};
    bool first = true;
    for (const Case& c : cases) {
        if (c.page != 0)
            ShowPage(c.page);
        const bool seen = driver::OnDisplay<bool>([&] {
            QWidget* focused = Named(c.focused);
            QWidget* drawn = Named(c.drawn);
            if (focused == nullptr || drawn == nullptr)
                return false;
            // The first is the focus the window started with; the others
            // are given by a click, after which Qt's styles draw no focus
            // of their own accord.
            if (!first)
                focused->setFocus(Qt::MouseFocusReason);
            if (!focused->hasFocus())
                return false;
            const QImage with = drawn->grab().toImage();
            focused->clearFocus();
            const QImage without = drawn->grab().toImage();
            return with != without;
        });
        EXPECT_TRUE(seen) << "no focus drawn on " << c.focused;
        first = false;
    }
}

// Tab goes in reading order through the enabled controls of the page in
// front, then the two buttons below; Shift+Tab goes back the same way. Each
// control it reaches, and each scroll bar, has a name a reader can read.
TEST_F(Keyboard, TabGoesInReadingOrderThroughControlsWithReadableNames) {
    TempDir music;
    struct Case {
        int page;
        bool filled; // three entries, the middle one selected
        std::vector<std::string> order;
    };
    const std::vector<Case> cases = {
        {0, false, {"TabBar", "FilesList", "AddFiles", "CloseButton"}},
        {0,
         true,
         {"TabBar", "FilesList", "MoveUp", "MoveDown", "AddFiles", "RemoveFiles", "EncodeButton",
          "CloseButton"}},
        {1, true, {"TabBar", "BitrateField", "ExtraParam", "EncodeButton", "CloseButton"}},
        {2,
         true,
         {"TabBar", "EncoderLocation", "SetEncoderLocation", "DontCloseOnAdd", "DontClearOnOpen",
          "SelfRegisterMIMEType", "RegisterMIMETypeNow", "UnregisterMIMETypeNow",
          "SimultaneousEncoders", "EncodeButton", "CloseButton"}},
    };
    for (const Case& c : cases) {
        if (c.filled) {
            BAutolock lock(running.window);
            ASSERT_TRUE(lock.IsLocked());
            if (running.window->filesList->CountItems() == 0) {
                for (const char* name : {"eins.wav", "zwei.wav", "drei.wav"})
                    running.window->filesList->AddFile(music.File(name).c_str());
                running.window->filesList->Select(1);
            }
        }
        ASSERT_TRUE(driver::WaitFor([&] {
            QWidget* button = Named("EncodeButton");
            return button != nullptr && button->isEnabled() == c.filled;
        }));
        ShowPage(c.page);
        driver::OnDisplay<bool>([] {
            Named("TabBar")->setFocus(Qt::OtherFocusReason);
            return true;
        });

        for (Qt::KeyboardModifiers backwards : {Qt::NoModifier, Qt::ShiftModifier}) {
            std::vector<std::string> expected = c.order;
            if (backwards != Qt::NoModifier)
                std::reverse(expected.begin() + 1, expected.end());
            std::vector<std::string> order;
            for (size_t step = 0; step <= expected.size(); ++step) {
                const auto [name, readable] =
                    driver::OnDisplay<std::pair<std::string, std::string>>([] {
                        QWidget* focus = QApplication::focusWidget();
                        return std::pair(ViewNameOf(focus),
                                         focus != nullptr ? ReadableName(focus) : std::string());
                    });
                if (step > 0 && name == "TabBar")
                    break;
                order.push_back(name);
                EXPECT_FALSE(readable.empty()) << name << " has no name a reader can read";
                Press(Qt::Key_Tab, backwards);
            }
            EXPECT_EQ(order, expected) << "page " << c.page + 1 << (c.filled ? ", filled" : "")
                                       << (backwards != Qt::NoModifier ? ", backwards" : "");
        }

        const std::vector<std::string> unnamedBars =
            driver::OnDisplay<std::vector<std::string>>([] {
                std::vector<std::string> unnamed;
                QWidget* window = MainWidget();
                for (QScrollBar* bar : window->findChildren<QScrollBar*>())
                    if (bar->isVisibleTo(window) && ReadableName(bar).empty())
                        unnamed.push_back(ViewNameOf(bar->parentWidget()));
                return unnamed;
            });
        EXPECT_TRUE(unnamedBars.empty()) << "a scroll bar without a name in " << unnamedBars[0];
    }
}

// F10 opens the first menu; the arrow keys go from menu to menu, Escape
// closes. No menu item has a key of its own.
TEST_F(Keyboard, F10OpensTheMenusAndNoItemHasAShortcut) {
    EXPECT_EQ(OpenMenu(), "<none>");
    Press(Qt::Key_F10);
    EXPECT_EQ(OpenMenu(), "Liste");
    Press(Qt::Key_Right);
    EXPECT_EQ(OpenMenu(), "Hilfe");
    Press(Qt::Key_Left);
    EXPECT_EQ(OpenMenu(), "Liste");
    Press(Qt::Key_Escape);
    EXPECT_EQ(OpenMenu(), "<none>");

    const std::vector<std::string> withKeys = driver::OnDisplay<std::vector<std::string>>([] {
        std::vector<std::string> found;
        for (QMenu* menu : MainWidget()->findChildren<QMenuBar*>().front()->findChildren<QMenu*>())
            for (QAction* action : menu->actions())
                if (!action->shortcut().isEmpty())
                    found.push_back(action->text().toStdString());
        return found;
    });
    EXPECT_TRUE(withKeys.empty()) << withKeys.front() << " has a shortcut";
}

// A press of the space bar or of Return right after the start goes to the
// list and presses no button: it cannot end the program unseen.
TEST_F(Keyboard, AKeyPressedAtStartPressesNoButton) {
    ASSERT_TRUE(
        driver::WaitFor([] { return ViewNameOf(QApplication::focusWidget()) == "FilesList"; }));
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        const std::vector<std::string> pressed = driver::OnDisplay<std::vector<std::string>>([&] {
            std::vector<std::string> clicked;
            std::vector<QMetaObject::Connection> watches;
            for (QAbstractButton* button : MainWidget()->findChildren<QAbstractButton*>())
                watches.push_back(QObject::connect(button, &QAbstractButton::clicked, [&, button] {
                    clicked.push_back(ViewNameOf(button));
                }));
            QTest::keyClick(QApplication::focusWidget(), key);
            for (const QMetaObject::Connection& watch : watches)
                QObject::disconnect(watch);
            return clicked;
        });
        EXPECT_TRUE(pressed.empty()) << "key " << key << " pressed " << pressed.front();
        EXPECT_EQ(FocusName(), "FilesList");
    }
    EXPECT_TRUE(driver::Window(kMainTitle).visible);
}
