#pragma once

// The main window's own widget, for tests that look at it as Qt draws it.
// Thread: the display's.

#include "RunningApp.h"

#include <QApplication>
#include <QWidget>

inline QWidget* MainWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == QLatin1String(kMainTitle) && widget->isVisible())
            return widget;
    return nullptr;
}
