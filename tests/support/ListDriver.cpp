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
#include <optional>

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

// Drags the bytes over the list and drops them, as a source that offers the
// actions; answers the action the list took for the drop, or nothing when it
// refused the drag or the drop.
std::optional<Qt::DropAction> Drop(const std::string& windowTitle, const std::string& name,
                                   const QString& format, const std::string& bytes,
                                   Qt::DropActions offered = Qt::CopyAction,
                                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return OnDisplay<std::optional<Qt::DropAction>>([&]() -> std::optional<Qt::DropAction> {
        QListView* list = FindList(windowTitle, name);
        if (list == nullptr)
            return std::nullopt;
        QWidget* target = list->viewport();
        QMimeData data;
        data.setData(format, QByteArray(bytes.data(), qsizetype(bytes.size())));
        QPoint where = target->rect().center();
        QDragEnterEvent enter(where, offered, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return std::nullopt;
        QDragMoveEvent move(where, offered, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted() || move.dropAction() != enter.dropAction())
            return std::nullopt;
        QDropEvent drop(where, offered, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &drop);
        if (!drop.isAccepted())
            return std::nullopt;
        return drop.dropAction();
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
    return Drop(windowTitle, name, QStringLiteral("text/uri-list"), uriList).has_value();
}

std::string DropUriListOffering(const std::string& windowTitle, const std::string& name,
                                const std::string& uriList, const std::vector<DropAction>& offered,
                                Modifier modifier) {
    Qt::DropActions actions;
    for (DropAction action : offered)
        actions |= action == DropAction::Copy   ? Qt::CopyAction
                   : action == DropAction::Move ? Qt::MoveAction
                                                : Qt::LinkAction;
    std::optional<Qt::DropAction> taken = Drop(windowTitle, name, QStringLiteral("text/uri-list"),
                                               uriList, actions, QtModifiers(modifier));
    if (!taken.has_value())
        return "";
    switch (*taken) {
    case Qt::CopyAction:
        return "copy";
    case Qt::MoveAction:
        return "move";
    case Qt::LinkAction:
        return "link";
    default:
        return "other";
    }
}

bool DropText(const std::string& windowTitle, const std::string& name, const std::string& text) {
    return Drop(windowTitle, name, QStringLiteral("text/plain"), text).has_value();
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
