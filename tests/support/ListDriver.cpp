#include "support/ListDriver.h"

#include "support/DisplayDriver.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace driver {

namespace {

QWidget* FindTop(const std::string& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == QString::fromStdString(title) && widget->isVisible())
            return widget;
    return nullptr;
}

QListView* FindList(const std::string& windowTitle, const std::string& name) {
    QWidget* window = FindTop(windowTitle);
    return window == nullptr ? nullptr
                             : window->findChild<QListView*>(QString::fromStdString(name));
}

Qt::KeyboardModifiers QtModifiers(Modifier modifier) {
    switch (modifier) {
    case Modifier::Shift:
        return Qt::ShiftModifier;
    case Modifier::Control:
        return Qt::ControlModifier;
    default:
        return Qt::NoModifier;
    }
}

bool Drop(const std::string& windowTitle, const std::string& name, const QString& format,
          const std::string& bytes) {
    return OnDisplay<bool>([&] {
        QListView* list = FindList(windowTitle, name);
        if (list == nullptr)
            return false;
        QWidget* target = list->viewport();
        QMimeData data;
        data.setData(format, QByteArray(bytes.data(), qsizetype(bytes.size())));
        QPoint where = target->rect().center();
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    });
}

} // namespace

std::vector<std::string> ListRows(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<std::vector<std::string>>([&] {
        std::vector<std::string> rows;
        if (QListView* list = FindList(windowTitle, name))
            for (int row = 0; row < list->model()->rowCount(); ++row)
                rows.push_back(list->model()->index(row, 0).data().toString().toStdString());
        return rows;
    });
}

std::vector<int> ListSelection(const std::string& windowTitle, const std::string& name) {
    return OnDisplay<std::vector<int>>([&] {
        std::vector<int> rows;
        if (QListView* list = FindList(windowTitle, name))
            for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
                rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    });
}

bool ClickRow(const std::string& windowTitle, const std::string& name, int row, Modifier modifier) {
    return OnDisplay<bool>([&] {
        QListView* list = FindList(windowTitle, name);
        if (list == nullptr || row < 0 || row >= list->model()->rowCount())
            return false;
        QModelIndex index = list->model()->index(row, 0);
        // The view lays its rows out lazily; a click needs them in place.
        list->doItemsLayout();
        list->scrollTo(index);
        QRect rect = list->visualRect(index);
        if (rect.isEmpty() || !list->viewport()->rect().contains(rect.center()))
            return false;
        QPoint where = rect.center();
        QWidget* target = list->viewport();
        QPointF global = target->mapToGlobal(QPointF(where));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(where), global, Qt::LeftButton,
                          Qt::LeftButton, QtModifiers(modifier));
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(where), global, Qt::LeftButton,
                            Qt::NoButton, QtModifiers(modifier));
        QApplication::sendEvent(target, &release);
        return true;
    });
}

bool PressKey(const std::string& windowTitle, const std::string& name, ListKey key,
              Modifier modifier) {
    return OnDisplay<bool>([&] {
        QListView* list = FindList(windowTitle, name);
        if (list == nullptr)
            return false;
        int code = Qt::Key_Down;
        Qt::KeyboardModifiers modifiers = QtModifiers(modifier);
        switch (key) {
        case ListKey::Up:
            code = Qt::Key_Up;
            break;
        case ListKey::Down:
            code = Qt::Key_Down;
            break;
        case ListKey::Home:
            code = Qt::Key_Home;
            break;
        case ListKey::End:
            code = Qt::Key_End;
            break;
        case ListKey::SelectAll:
            code = Qt::Key_A;
            modifiers |= Qt::ControlModifier;
            break;
        case ListKey::Delete:
            code = Qt::Key_Delete;
            break;
        }
        list->setFocus();
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(list, &press);
        QKeyEvent release(QEvent::KeyRelease, code, modifiers);
        QApplication::sendEvent(list, &release);
        return true;
    });
}

bool DropUriList(const std::string& windowTitle, const std::string& name,
                 const std::string& uriList) {
    return Drop(windowTitle, name, QStringLiteral("text/uri-list"), uriList);
}

bool DropText(const std::string& windowTitle, const std::string& name, const std::string& text) {
    return Drop(windowTitle, name, QStringLiteral("text/plain"), text);
}

ScrollBarInfo VerticalScrollBar(const std::string& windowTitle, const std::string& scrollView) {
    return OnDisplay<ScrollBarInfo>([&] {
        ScrollBarInfo info;
        QWidget* window = FindTop(windowTitle);
        QWidget* frame =
            window ? window->findChild<QWidget*>(QString::fromStdString(scrollView)) : nullptr;
        auto* bar =
            frame ? frame->findChild<QScrollBar*>(QStringLiteral("VerticalScrollBar")) : nullptr;
        if (bar == nullptr)
            return info;
        info.exists = true;
        info.visible = bar->isVisible();
        info.maximum = bar->maximum();
        info.x = bar->x();
        info.y = bar->y();
        info.width = bar->width();
        info.height = bar->height();
        return info;
    });
}

} // namespace driver
