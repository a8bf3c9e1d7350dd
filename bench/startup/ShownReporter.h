#pragma once

// Reports, once, that a top-level window has been painted for the first time:
// it writes "shown" to standard output and calls the given action.

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <functional>

class ShownReporter : public QObject {
public:
    explicit ShownReporter(std::function<void()> then) : fThen(std::move(then)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!fReported && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->window()->isVisible()) {
                fReported = true;
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                fThen();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> fThen;
    bool fReported = false;
};
