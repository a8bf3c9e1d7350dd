#include <kit/display/Widgets.h>

#include <kit/display/ControlWidgets.h>
#include <kit/display/Looks.h>
#include <kit/display/QtText.h>
#include <kit/display/WidgetRegistry.h>

#include <kit/app/AppDefs.h>
#include <kit/interface/Palette.h>
#include <kit/interface/private/InterfacePrivate.h>
#include <kit/storage/AppResources.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace display {

namespace {

// Every widget that mirrors a kit object, by the object's token.
WidgetRegistry<QWidget>& Registry() {
    static WidgetRegistry<QWidget> registry;
    return registry;
}

QWidget* Find(WidgetId id) {
    return Registry().Find(id);
}

void Remember(WidgetId id, QWidget* widget) {
    Registry().Remember(id, widget);
}

QRect ToGeometry(BRect frame) {
    return QRect(qRound(frame.left), qRound(frame.top), qRound(frame.Width()) + 1,
                 qRound(frame.Height()) + 1);
}

QColor ToQColor(rgb_color color) {
    return QColor(color.red, color.green, color.blue, color.alpha);
}

void Send(const BMessenger& target, BMessage message) {
    target.SendMessage(&message);
}

// The widgets under parent that take the focus with Tab, in reading order:
// the children row by row from the top, left to right within a row, each
// followed by its own. A child joins a row when its middle lies within the
// height of the row's first child, or the first child's middle within its
// own: a field and the button beside it that stands a pixel higher are
// read as one row.
void CollectInReadingOrder(QWidget* parent, std::vector<QWidget*>& chain) {
    std::vector<QWidget*> children;
    for (QObject* object : parent->children())
        if (auto* child = qobject_cast<QWidget*>(object); child != nullptr && !child->isWindow())
            children.push_back(child);
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
        return a->geometry().top() < b->geometry().top();
    });
    auto middle = [](QWidget* widget) { return widget->geometry().center().y(); };
    auto within = [](int y, QWidget* widget) {
        return y >= widget->geometry().top() && y <= widget->geometry().bottom();
    };
    for (size_t first = 0; first < children.size();) {
        size_t end = first + 1;
        while (end < children.size() && (within(middle(children[end]), children[first]) ||
                                         within(middle(children[first]), children[end])))
            ++end;
        std::stable_sort(
            children.begin() + long(first), children.begin() + long(end),
            [](QWidget* a, QWidget* b) { return a->geometry().left() < b->geometry().left(); });
        first = end;
    }
    for (QWidget* child : children) {
        if (child->focusPolicy() & Qt::TabFocus)
            chain.push_back(child);
        CollectInReadingOrder(child, chain);
    }
}

// Tab moves through a window in reading order, whatever order its widgets
// were made in; disabled and hidden widgets are passed over by Qt itself.
void ArrangeFocusChain(QWidget* window) {
    std::vector<QWidget*> chain;
    CollectInReadingOrder(window, chain);
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// A top-level window. Its close box asks the window's looper to quit instead
// of closing the widget: the looper decides and destroys the widget later.
class WindowWidget : public QWidget {
public:
    WindowWidget(const WindowShape& shape) : fShape(shape) {}

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        ArrangeFocusChain(this);
    }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (fShape.closable)
            fShape.window.SendMessage(B_QUIT_REQUESTED);
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        // Only moves made by the user or the window manager are news to the
        // kit; the kit's own moves are already in its state.
        if (!event->spontaneous())
            return;
        BMessage moved(kit_private::kWindowMoved);
        moved.AddInt32("left", event->pos().x());
        moved.AddInt32("top", event->pos().y());
        Send(fShape.window, moved);
    }

private:
    WindowShape fShape;
};

// The program's own icons, compiled into it, at both sizes; an empty icon
// when the program registered none.
QIcon ApplicationIcon() {
    QIcon icon;
    for (icon_size size : {B_MINI_ICON, B_LARGE_ICON}) {
        std::vector<uint8> bits;
        const int side = int(size);
        if (registered_app_icon(size, &bits) != B_OK || bits.size() < size_t(side * side))
            continue;
        QImage image(side, side, QImage::Format_ARGB32);
        const auto& palette = system_palette();
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                uint8 index = bits[size_t(y * side + x)];
                rgb_color color = palette[index];
                image.setPixel(x, y,
                               index == B_TRANSPARENT_MAGIC_CMAP8
                                   ? qRgba(0, 0, 0, 0)
                                   : qRgba(color.red, color.green, color.blue, 255));
            }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// Assistive tools see a window of ours as a frame, like any application
// window, rather than as an anonymous filler.
QAccessibleInterface* AccessibleWindow(const QString&, QObject* object) {
    if (auto* window = dynamic_cast<WindowWidget*>(object))
        return new QAccessibleWidget(window, QAccessible::Window, window->windowTitle());
    return nullptr;
}

// A row of tabs that can make every tab as wide as the widest one needs.
class TabRow : public QTabBar {
public:
    explicit TabRow(QWidget* parent) : QTabBar(parent) {}

    void SetSameWidth(bool sameWidth) {
        if (sameWidth == fSameWidth)
            return;
        fSameWidth = sameWidth;
        Relayout();
    }

protected:
    // The tabs' widths depend on the bar's width.
    void resizeEvent(QResizeEvent* event) override {
        QTabBar::resizeEvent(event);
        if (fSameWidth && event->oldSize().width() != event->size().width())
            Relayout();
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            fMeasured.clear();
        QTabBar::changeEvent(event);
    }
    void tabInserted(int index) override {
        fMeasured.clear();
        QTabBar::tabInserted(index);
    }
    void tabRemoved(int index) override {
        fMeasured.clear();
        QTabBar::tabRemoved(index);
    }

    QSize tabSizeHint(int index) const override {
        if (!fSameWidth)
            return QTabBar::tabSizeHint(index);
        const Measured& measured = Measure();
        if (index < 0 || size_t(index) >= measured.hints.size())
            return QTabBar::tabSizeHint(index);
        QSize size = measured.hints[size_t(index)];
        size.setWidth(measured.widestHint);
        // Equal tabs share the row rather than scroll out of it, as long as
        // the widest label still fits with a little room.
        if (width() > 0)
            size.setWidth(
                std::max(measured.widestText + 12, std::min(size.width(), width() / count())));
        return size;
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    // What every tab needs on its own, and the widest of it. The bar asks
    // for every tab's size each time it lays its tabs out, and each answer
    // depends on every label: shaping all labels on every question was a
    // noticeable part of the start-up. The answers are kept for as long as
    // the labels, the font and the style stay.
    struct Measured {
        QStringList texts;
        std::vector<QSize> hints;
        int widestHint = 0;
        int widestText = 0;

        void clear() { texts.clear(); }
    };

    const Measured& Measure() const {
        QStringList texts;
        for (int i = 0; i < count(); ++i)
            texts.append(tabText(i));
        if (texts.isEmpty() || texts != fMeasured.texts) {
            fMeasured.hints.clear();
            fMeasured.widestHint = 0;
            fMeasured.widestText = 0;
            const QFontMetrics metrics = fontMetrics();
            for (int i = 0; i < count(); ++i) {
                fMeasured.hints.push_back(QTabBar::tabSizeHint(i));
                fMeasured.widestHint =
                    std::max(fMeasured.widestHint, fMeasured.hints.back().width());
                fMeasured.widestText =
                    std::max(fMeasured.widestText, metrics.horizontalAdvance(texts[i]));
            }
            fMeasured.texts = std::move(texts);
        }
        return fMeasured;
    }

    // The bar keeps the sizes it computed until a setting of its own changes.
    void Relayout() { setElideMode(elideMode()); }

    bool fSameWidth = false;
    mutable Measured fMeasured;
};

// The framed area under a row of tabs, its frame drawn whole at every
// device pixel ratio.
class PageFrame : public QFrame {
public:
    explicit PageFrame(QWidget* parent) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        PaintOnWholePixels(this, event, [this](QPainter& painter) {
            QStyleOptionFrame option;
            initStyleOption(&option);
            style()->drawControl(QStyle::CE_ShapedFrame, &option, &painter, this);
        });
    }
};

// A tab view: the row of tabs over a framed page area that holds the pages.
class TabViewWidget : public QWidget {
public:
    TabViewWidget(QWidget* parent, const ViewShape& shape) : QWidget(parent), fView(shape.view) {
        fBar = new TabRow(this);
        fBar->setUsesScrollButtons(false);
        fBar->setElideMode(Qt::ElideNone);
        fBar->setObjectName(QStringLiteral("TabBar"));
        fBar->setAccessibleName(QStringLiteral("Registerkarten"));
        fBar->setDrawBase(false);
        fBar->setExpanding(false);
        fArea = new PageFrame(this);
        fArea->setFrameShape(QFrame::StyledPanel);
        fArea->setObjectName(QStringLiteral("PageArea"));
        QObject::connect(fBar, &QTabBar::currentChanged, this, [this](int index) {
            if (fUpdating || index < 0)
                return;
            ShowPage(index);
            BMessage chosen(kit_private::kTabChosen);
            chosen.AddInt32("index", index);
            Send(fView, chosen);
        });
    }

    QWidget* PageArea() const { return fArea; }
    QTabBar* Bar() const { return fBar; }

    void Apply(const seam::TabViewShape& shape) {
        fUpdating = true;
        while (fBar->count() > int(shape.labels.size()))
            fBar->removeTab(fBar->count() - 1);
        for (size_t i = 0; i < shape.labels.size(); ++i) {
            if (int(i) < fBar->count())
                fBar->setTabText(int(i), Literal(shape.labels[i]));
            else
                fBar->addTab(Literal(shape.labels[i]));
        }
        fBar->SetSameWidth(shape.sameWidth);
        fPages = shape.pages;
        fTabHeight = qRound(shape.tabHeight);
        if (shape.selected >= 0 && shape.selected < fBar->count())
            fBar->setCurrentIndex(shape.selected);
        fUpdating = false;
        ShowPage(shape.selected);
        Arrange();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Arrange();
    }

private:
    void ShowPage(int selected) {
        for (size_t i = 0; i < fPages.size(); ++i)
            if (QWidget* page = Find(fPages[i]))
                page->setVisible(int(i) == selected);
    }

    void Arrange() {
        fBar->setGeometry(0, 0, width(), fTabHeight);
        fArea->setGeometry(0, fTabHeight, width(), std::max(0, height() - fTabHeight));
    }

    BMessenger fView;
    TabRow* fBar;
    PageFrame* fArea;
    std::vector<WidgetId> fPages;
    int fTabHeight = 0;
    bool fUpdating = false;
};

// A menu bar; every look rebuilds its menus. A chosen item goes to the view
// as the item's token.
class MenuBarWidget : public QMenuBar {
public:
    MenuBarWidget(QWidget* parent, const ViewShape& shape) : QMenuBar(parent), fView(shape.view) {
        setNativeMenuBar(false);
        // F10 opens the first menu, as on every desktop; the arrow keys then
        // go from menu to menu and Escape closes them, as Qt's menus do.
        auto* openFirst = new QShortcut(QKeySequence(Qt::Key_F10), this);
        openFirst->setContext(Qt::WindowShortcut);
        QObject::connect(openFirst, &QShortcut::activated, this, [this] {
            for (QAction* action : actions())
                if (action->isVisible() && action->isEnabled() && action->menu() != nullptr) {
                    setActiveAction(action);
                    return;
                }
        });
    }
    void Apply(const seam::MenuBarShape& shape);

private:
    BMessenger fView;
};

void MenuBarWidget::Apply(const seam::MenuBarShape& look) {
    QMenuBar* bar = this;
    const BMessenger& view = fView;
    bar->clear();
    for (const MenuShape& shape : look.menus) {
        QMenu* menu = bar->addMenu(Literal(shape.label));
        menu->setObjectName(ToQt(shape.label));
        for (const MenuItemShape& item : shape.items) {
            if (item.separator) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(Literal(item.label));
            action->setObjectName(ToQt(item.label));
            action->setEnabled(item.enabled);
            action->setCheckable(shape.radio || item.marked);
            action->setChecked(item.marked);
            WidgetId token = item.id;
            QObject::connect(action, &QAction::triggered, bar, [view, token] {
                BMessage chosen(kit_private::kMenuItemChosen);
                chosen.AddInt64("item", static_cast<int64>(token));
                Send(view, chosen);
            });
        }
    }
}

void ApplyColor(QWidget* widget, rgb_color color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A view of the application's own, or one that only holds others.
class PlainWidget : public QWidget {
public:
    PlainWidget(QWidget* parent, const ViewShape&) : QWidget(parent) {}
    void Apply(const seam::PlainShape&) {}
};

class ButtonWidget : public QPushButton {
public:
    ButtonWidget(QWidget* parent, const ViewShape& shape) : QPushButton(parent) {
        setAutoDefault(false);
        BMessenger view = shape.view;
        QObject::connect(this, &QPushButton::clicked, this,
                         [view] { Send(view, BMessage(kit_private::kControlInvoked)); });
    }
    void Apply(const seam::ButtonShape& shape) {
        setText(Literal(shape.label));
        setAccessibleName(
            ToQt(shape.accessibleLabel.empty() ? shape.label : shape.accessibleLabel));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        PaintOnWholePixels(this, event, [this](QPainter& painter) {
            QStyleOptionButton option;
            initStyleOption(&option);
            style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        });
    }
};

class StringWidget : public QLabel {
public:
    StringWidget(QWidget* parent, const ViewShape&) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
    }
    void Apply(const seam::StringShape& shape) { setText(ToQt(shape.text)); }
};

} // namespace

QWidget* Make(const seam::PlainShape& look, const ViewShape& shape, QWidget* parent) {
    QWidget* widget = MakeApplied<PlainWidget>(look, shape, parent);
    ScrollInFrame(widget, parent);
    return widget;
}
QWidget* Make(const seam::ButtonShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<ButtonWidget>(look, shape, parent);
}
QWidget* Make(const seam::StringShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<StringWidget>(look, shape, parent);
}
QWidget* Make(const seam::MenuBarShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<MenuBarWidget>(look, shape, parent);
}
QWidget* Make(const seam::TabViewShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<TabViewWidget>(look, shape, parent);
}
void Apply(QWidget* widget, const seam::PlainShape& look) {
    As<PlainWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::ButtonShape& look) {
    As<ButtonWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::StringShape& look) {
    As<StringWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::MenuBarShape& look) {
    As<MenuBarWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::TabViewShape& look) {
    As<TabViewWidget>(widget).Apply(look);
}

void PaintOnWholePixels(QWidget* widget, QPaintEvent* event,
                        const std::function<void(QPainter&)>& paint) {
    QPainter painter(widget);
    const qreal ratio = widget->devicePixelRatioF();
    const QTransform toDevice = painter.deviceTransform();
    if (ratio == std::round(ratio) || toDevice.type() > QTransform::TxScale) {
        paint(painter);
        return;
    }
    const QRectF exact = toDevice.mapRect(QRectF(widget->rect()));
    const QRect whole(
        QPoint(int(std::ceil(exact.left())), int(std::ceil(exact.top()))),
        QPoint(int(std::floor(exact.right())) - 1, int(std::floor(exact.bottom())) - 1));
    if (whole.isEmpty())
        return;
    // The widget's whole rectangle is drawn into the buffer, squeezed by
    // less than a device pixel to fit it.
    QImage buffer(whole.size(), QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(Qt::transparent);
    {
        QPainter inner(&buffer);
        inner.scale(whole.width() / exact.width(), whole.height() / exact.height());
        paint(inner);
    }
    painter.setClipRegion(event->region());
    painter.drawImage(toDevice.inverted().mapRect(QRectF(whole)), buffer);
}

QWidget* FindWidget(WidgetId id) {
    return Find(id);
}

Task CreateWindow(WindowShape shape) {
    return [shape = std::move(shape)] {
        static bool applicationSetUp = false;
        if (!applicationSetUp) {
            QAccessible::installFactory(AccessibleWindow);
            // The icon is set once the display loop has shown the first
            // window: making it pulls in icon machinery that would otherwise
            // hold up the first picture of the program.
            QTimer::singleShot(0, qApp, [] { QApplication::setWindowIcon(ApplicationIcon()); });
            applicationSetUp = true;
        }
        auto* window = new WindowWidget(shape);
        window->setObjectName(ToQt(shape.title));
        window->setWindowTitle(ToQt(shape.title));
        window->setAccessibleName(ToQt(shape.title));
        Qt::WindowFlags flags = (shape.floating ? Qt::Tool : Qt::Window) | Qt::CustomizeWindowHint |
                                Qt::WindowTitleHint;
        if (shape.closable)
            flags |= Qt::WindowCloseButtonHint;
        if (shape.minimizable)
            flags |= Qt::WindowMinimizeButtonHint;
        if (shape.zoomable && shape.resizable)
            flags |= Qt::WindowMaximizeButtonHint;
        window->setWindowFlags(flags);
        if (shape.appModal)
            window->setWindowModality(Qt::ApplicationModal);
        QRect geometry = ToGeometry(shape.frame);
        window->setGeometry(geometry);
        if (!shape.resizable)
            window->setFixedSize(geometry.size());
        Remember(shape.id, window);
    };
}

Task DestroyWindow(WidgetId id) {
    return [id] {
        if (QWidget* window = Find(id)) {
            Registry().Forget(id);
            window->hide();
            window->deleteLater();
        }
    };
}

Task SetWindowTitle(WidgetId id, std::string title) {
    return [id, title = std::move(title)] {
        if (QWidget* window = Find(id))
            window->setWindowTitle(ToQt(title));
    };
}

Task SetWindowFrame(WidgetId id, BRect frame) {
    return [id, frame] {
        QWidget* window = Find(id);
        if (window == nullptr)
            return;
        QRect geometry = ToGeometry(frame);
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(geometry.size());
        window->setGeometry(geometry);
    };
}

Task SetWindowShown(WidgetId id, bool shown) {
    return [id, shown] {
        QWidget* window = Find(id);
        if (window == nullptr)
            return;
        window->setVisible(shown);
        // A window shown while none of the program's is active becomes the
        // active one, as the first window of a program does on a desktop:
        // without a window manager (a bare X server) nobody else would make
        // it so, and its focus would take no key and be drawn nowhere.
        if (shown && QApplication::activeWindow() == nullptr)
            window->activateWindow();
    };
}

Task ActivateWindow(WidgetId id) {
    return [id] {
        if (QWidget* window = Find(id)) {
            window->raise();
            window->activateWindow();
        }
    };
}

Task CreateView(ViewShape shape) {
    return [shape = std::move(shape)] {
        QWidget* parent = Find(shape.parent);
        if (parent == nullptr)
            return;
        if (auto* tabs = dynamic_cast<TabViewWidget*>(parent))
            parent = tabs->PageArea();
        QWidget* widget =
            std::visit([&](const auto& look) { return Make(look, shape, parent); }, shape.look);
        widget->setObjectName(ToQt(shape.name));
        // A widget with a label of its own is named by it. A string view is
        // read by its text, which Qt's label names itself by and keeps up to
        // date; its view's name is no word for a reader.
        if (widget->accessibleName().isEmpty() &&
            !std::holds_alternative<seam::StringShape>(shape.look))
            widget->setAccessibleName(ToQt(shape.name));
        widget->setGeometry(ToGeometry(shape.frame));
        widget->setEnabled(shape.enabled);
        if (shape.hasColor)
            ApplyColor(widget, shape.color);
        widget->show();
        Remember(shape.id, widget);
        // A view added to a window on the screen takes its place in the
        // window's reading order at once.
        if (widget->window()->isVisible())
            ArrangeFocusChain(widget->window());
    };
}

Task DestroyView(WidgetId id) {
    return [id] {
        if (QWidget* widget = Find(id)) {
            Registry().Forget(id);
            widget->hide();
            widget->deleteLater();
        }
    };
}

Task SetViewFrame(WidgetId id, BRect frame) {
    return [id, frame] {
        if (QWidget* widget = Find(id))
            widget->setGeometry(ToGeometry(frame));
    };
}

Task SetViewColor(WidgetId id, rgb_color color) {
    return [id, color] {
        if (QWidget* widget = Find(id))
            ApplyColor(widget, color);
    };
}

Task SetViewEnabled(WidgetId id, bool enabled) {
    return [id, enabled] {
        if (QWidget* widget = Find(id))
            widget->setEnabled(enabled);
    };
}

Task SetViewFocus(WidgetId id, bool focus) {
    return [id, focus] {
        QWidget* widget = Find(id);
        if (widget == nullptr)
            return;
        // A view that only holds the widget taking the keys, a text control
        // holding its line, hands the focus on to that widget.
        QWidget* target = widget;
        if (!(target->focusPolicy() & Qt::TabFocus))
            for (QWidget* child : widget->findChildren<QWidget*>())
                if (child->focusPolicy() & Qt::TabFocus) {
                    target = child;
                    break;
                }
        // A window not yet on the screen keeps the widget as the one that
        // gets the focus when it is first activated.
        if (focus)
            target->setFocus(Qt::OtherFocusReason);
        else if (target->hasFocus())
            target->clearFocus();
    };
}

Task SetViewLook(WidgetId id, seam::Look look) {
    return [id, look = std::move(look)] {
        if (QWidget* widget = Find(id))
            std::visit([widget](const auto& shape) { Apply(widget, shape); }, look);
    };
}

} // namespace display
