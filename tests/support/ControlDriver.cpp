#include "support/ControlDriver.h"

#include "support/DisplayDriver.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <cstdlib>

namespace driver {

namespace {

QWidget* TopLevel(const std::string& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == QString::fromStdString(title) &&
            qobject_cast<QMessageBox*>(widget) == nullptr)
            return widget;
    return nullptr;
}

template <class T>
T* Child(const std::string& windowTitle, const std::string& name) {
    QWidget* window = TopLevel(windowTitle);
    if (window == nullptr)
        return nullptr;
    QWidget* found = window->findChild<QWidget*>(QString::fromStdString(name));
    if (auto* direct = qobject_cast<T*>(found))
        return direct;
    return found != nullptr ? found->findChild<T*>() : nullptr;
}

// The field's pop-up menu is the field's own child.
QMenu* FieldMenu(const std::string& windowTitle, const std::string& fieldName) {
    return Child<QMenu>(windowTitle, fieldName);
}

} // namespace

bool TypeInto(const std::string& windowTitle, const std::string& controlName,
              const std::string& text) {
    return OnDisplay<bool>([&] {
        auto* line = Child<QLineEdit>(windowTitle, controlName);
        if (line == nullptr)
            return false;
        line->setFocus();
        line->end(false);
        const QString keys = QString::fromStdString(text);
        for (int i = 0; i < keys.size(); ++i) {
            // A character outside the basic plane comes as two UTF-16 units
            // but is one key.
            int length = keys[i].isHighSurrogate() && i + 1 < keys.size() ? 2 : 1;
            QString key = keys.mid(i, length);
            i += length - 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, key);
            QApplication::sendEvent(line, &press);
            QApplication::sendEvent(line, &release);
        }
        return true;
    });
}

BarShown Bar(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<BarShown>([&] {
        BarShown shown;
        auto* bar = Child<QProgressBar>(windowTitle, name);
        if (bar == nullptr)
            return shown;
        shown.exists = true;
        shown.minimum = bar->minimum();
        shown.maximum = bar->maximum();
        shown.value = bar->value();
        if (QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(bar)) {
            shown.accessibleName = reader->text(QAccessible::Name).toStdString();
            if (QAccessibleValueInterface* value = reader->valueInterface()) {
                shown.accessibleValue = value->currentValue().toDouble();
                shown.accessibleMaximum = value->maximumValue().toDouble();
            }
        }
        return shown;
    });
}

ControlLabel Label(const std::string& windowTitle, const std::string& controlName) {
    return OnDisplay<ControlLabel>([&] {
        ControlLabel shown;
        QWidget* window = TopLevel(windowTitle);
        QWidget* control = window != nullptr
                               ? window->findChild<QWidget*>(QString::fromStdString(controlName))
                               : nullptr;
        auto* label = control != nullptr ? control->findChild<QLabel*>(QStringLiteral("Label"),
                                                                       Qt::FindDirectChildrenOnly)
                                         : nullptr;
        if (label == nullptr)
            return shown;
        shown.exists = true;
        shown.text = label->text().toStdString();
        shown.column = label->width();
        shown.needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        shown.neededAtControlFont = QFontMetrics(control->font()).horizontalAdvance(label->text());
        shown.condensed = label->font() != control->font();
        return shown;
    });
}

std::string LineText(const std::string& windowTitle, const std::string& controlName) {
    return OnDisplay<std::string>([&] {
        auto* line = Child<QLineEdit>(windowTitle, controlName);
        return line != nullptr ? line->text().toStdString() : std::string("<none>");
    });
}

bool ChooseFromMenuField(const std::string& windowTitle, const std::string& fieldName,
                         const std::string& itemLabel) {
    return OnDisplay<bool>([&] {
        QMenu* menu = FieldMenu(windowTitle, fieldName);
        if (menu == nullptr)
            return false;
        for (QAction* action : menu->actions())
            if (action->objectName() == QString::fromStdString(itemLabel) && action->isEnabled()) {
                action->trigger();
                return true;
            }
        return false;
    });
}

std::string MenuFieldButton(const std::string& windowTitle, const std::string& fieldName) {
    return OnDisplay<std::string>([&] {
        auto* button = Child<QPushButton>(windowTitle, fieldName);
        return button != nullptr ? button->text().toStdString() : std::string("<none>");
    });
}

std::string MenuFieldChecked(const std::string& windowTitle, const std::string& fieldName) {
    return OnDisplay<std::string>([&] {
        std::string checked;
        if (QMenu* menu = FieldMenu(windowTitle, fieldName))
            for (QAction* action : menu->actions())
                if (action->isChecked())
                    checked += (checked.empty() ? "" : "|") + action->objectName().toStdString();
        return checked;
    });
}

std::string ShownLabel(const std::string& windowTitle, const std::string& controlName) {
    return OnDisplay<std::string>([&]() -> std::string {
        QWidget* window = TopLevel(windowTitle);
        QWidget* control = window != nullptr
                               ? window->findChild<QWidget*>(QString::fromStdString(controlName))
                               : nullptr;
        if (control == nullptr)
            return "<none>";
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->text().replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString();
        if (auto* label = control->findChild<QLabel*>(QStringLiteral("Label")))
            return label->text().toStdString();
        return "<none>";
    });
}

bool ClickCheckBox(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<bool>([&] {
        auto* box = Child<QCheckBox>(windowTitle, name);
        if (box == nullptr)
            return false;
        box->click();
        return true;
    });
}

bool CheckBoxTicked(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<bool>([&] {
        auto* box = Child<QCheckBox>(windowTitle, name);
        return box != nullptr && box->isChecked();
    });
}

NumberShown Number(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<NumberShown>([&] {
        NumberShown shown;
        auto* field = Child<QSpinBox>(windowTitle, name);
        if (field == nullptr)
            return shown;
        shown.exists = true;
        shown.value = field->value();
        shown.minimum = field->minimum();
        shown.maximum = field->maximum();
        if (QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(field))
            shown.accessibleName = reader->text(QAccessible::Name).toStdString();
        return shown;
    });
}

bool StepNumber(const std::string& windowTitle, const std::string& name, int steps) {
    return OnDisplay<bool>([&] {
        auto* field = Child<QSpinBox>(windowTitle, name);
        if (field == nullptr)
            return false;
        const Qt::Key key = steps > 0 ? Qt::Key_Up : Qt::Key_Down;
        for (int i = 0; i < std::abs(steps); ++i) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &release);
        }
        return true;
    });
}

std::string AfterTab(const std::string& windowTitle, const std::string& name, bool back) {
    return OnDisplay<std::string>([&]() -> std::string {
        QWidget* window = TopLevel(windowTitle);
        QWidget* control =
            window != nullptr ? window->findChild<QWidget*>(QString::fromStdString(name)) : nullptr;
        if (control == nullptr)
            return "<none>";
        QApplication::setActiveWindow(window);
        control->setFocus(Qt::TabFocusReason);
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr)
            return "<none>";
        QKeyEvent press(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::sendEvent(focused, &press);
        // The field of a control is named for its place in the control; the
        // control carries the view's name.
        for (QWidget* widget = QApplication::focusWidget(); widget != nullptr;
             widget = widget->parentWidget()) {
            const QString found = widget->objectName();
            if (!found.isEmpty() && !found.startsWith(QLatin1String("qt_")) &&
                found != QLatin1String("Field"))
                return found.toStdString();
        }
        return "<none>";
    });
}

WindowTraits Traits(const std::string& windowTitle) {
    return OnDisplay<WindowTraits>([&] {
        WindowTraits traits;
        QWidget* window = TopLevel(windowTitle);
        if (window == nullptr)
            return traits;
        const Qt::WindowFlags flags = window->windowFlags();
        traits.exists = true;
        traits.visible = window->isVisible();
        traits.floating = (flags & Qt::WindowType_Mask) == Qt::Tool;
        traits.appModal = window->windowModality() == Qt::ApplicationModal;
        traits.closeBox = flags.testFlag(Qt::WindowCloseButtonHint);
        traits.minimizeBox = flags.testFlag(Qt::WindowMinimizeButtonHint);
        traits.maximizeBox = flags.testFlag(Qt::WindowMaximizeButtonHint);
        traits.fixedSize = window->minimumSize() == window->maximumSize();
        const QRect geometry = window->geometry();
        traits.x = geometry.x();
        traits.y = geometry.y();
        traits.width = geometry.width();
        traits.height = geometry.height();
        return traits;
    });
}

} // namespace driver
