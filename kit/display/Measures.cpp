#include <kit/display/Widgets.h>

#include <kit/display/ControlWidgets.h>
#include <kit/display/QtText.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionMenuItem>
#include <QTabBar>

#include <algorithm>
#include <functional>
#include <mutex>
#include <unordered_map>

// The measurements the kit asks of the display, made with the real style and
// font on the display thread.

namespace display {

namespace {

template <class T>
T Measure(const std::function<T()>& measure) {
    T result{};
    Invoke([&] { result = measure(); });
    return result;
}

// Measurements do not change while the program runs, so each is asked of the
// display once; later requests are answered on the calling thread. The cache
// is keyed by what was measured and the text.
Size CachedSize(const std::string& key, const std::function<Size()>& measure) {
    static std::mutex mutex;
    static std::unordered_map<std::string, Size> cache;
    {
        std::lock_guard guard(mutex);
        if (auto it = cache.find(key); it != cache.end())
            return it->second;
    }
    Size size = Measure<Size>(measure);
    if (size.height > 0) {
        std::lock_guard guard(mutex);
        cache.emplace(key, size);
    }
    return size;
}

Size HintOf(QWidget& widget) {
    QSize hint = widget.sizeHint();
    return Size{float(hint.width()), float(hint.height())};
}

// One hidden widget of each kind answers every measurement of that kind:
// made and polished once, then only given the next text. It goes with the
// other top-level widgets when the display shuts down.
template <class Widget>
Widget& Prototype() {
    static QPointer<Widget> widget;
    if (widget.isNull())
        widget = new Widget;
    return *widget;
}

} // namespace

Size PreferredButtonSize(const std::string& label) {
    return CachedSize("button:" + label, [&] {
        auto& button = Prototype<QPushButton>();
        button.ensurePolished();
        // The button's own size hint, worked out as the button works it out
        // but with its label shaped once rather than twice: the style grows
        // the label's size by its margins. Qt's styles also give a labelled
        // button at least 80 pixels, a floor of their own that would push a
        // short button of a fixed layout over the edge of its window. A
        // button needs what its label needs with the style's margins; those
        // margins are found by asking the style for a label far wider than
        // any floor. Whatever floor a layout wants is the layout's own.
        QStyleOptionButton option;
        option.initFrom(&button);
        option.state |= QStyle::State_Raised;
        option.text = Literal(label);
        option.iconSize = button.iconSize();
        // An empty button is as large as one labelled "XXXX".
        const QString measured = option.text.isEmpty() ? QStringLiteral("XXXX") : option.text;
        const QSize text = button.fontMetrics().size(Qt::TextShowMnemonic, measured);
        const QStyle* style = button.style();
        const QSize hint = style->sizeFromContents(QStyle::CT_PushButton, &option, text, &button);
        const int probe = text.width() + 1000;
        const int margins = style
                                ->sizeFromContents(QStyle::CT_PushButton, &option,
                                                   QSize(probe, text.height()), &button)
                                .width() -
                            probe;
        return Size{float(std::min(hint.width(), text.width() + margins)), float(hint.height())};
    });
}

Size PreferredLabelSize(const std::string& text) {
    return CachedSize("label:" + text, [&] {
        auto& label = Prototype<QLabel>();
        label.setTextFormat(Qt::PlainText);
        label.setText(ToQt(text));
        return HintOf(label);
    });
}

Size PreferredCheckBoxSize(const std::string& label, int maxWidth) {
    return CachedSize("checkbox:" + std::to_string(maxWidth) + ":" + label, [&] {
        auto& box = Prototype<QCheckBox>();
        const QString text = Literal(label);
        box.setText(maxWidth > 0 ? WrapCheckBoxLabel(box, text, maxWidth) : text);
        return HintOf(box);
    });
}

int TextAdvance(const QFont& font, const QString& text) {
    // Only labels are measured, a few dozen texts at most; the font's key
    // tells apart every font that draws differently.
    static QHash<QString, int> advances;
    const QString key = font.key() + QLatin1Char('\n') + text;
    if (auto it = advances.constFind(key); it != advances.cend())
        return *it;
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    advances.insert(key, advance);
    return advance;
}

float MenuBarHeightFor(const QFont& font, const QStyle& style) {
    // A menu bar is as tall as its tallest item, framed by its panel and
    // with the style's margin above and below the items; an item is its
    // text's height grown by the style's padding. A title with an ascender
    // and a descender is as tall as any.
    const QFontMetrics metrics(font);
    QStyleOptionMenuItem item;
    item.menuItemType = QStyleOptionMenuItem::Normal;
    item.checkType = QStyleOptionMenuItem::NotCheckable;
    item.text = QStringLiteral("Xg");
    item.fontMetrics = metrics;
    item.font = font;
    const QSize text = metrics.size(Qt::TextShowMnemonic, item.text);
    const int itemHeight = style.sizeFromContents(QStyle::CT_MenuBarItem, &item, text).height();
    const int frame = style.pixelMetric(QStyle::PM_MenuBarPanelWidth);
    const int margin = style.pixelMetric(QStyle::PM_MenuBarVMargin);
    QStyleOptionMenuItem bar;
    bar.menuItemType = QStyleOptionMenuItem::Normal;
    bar.checkType = QStyleOptionMenuItem::NotCheckable;
    bar.fontMetrics = metrics;
    bar.font = font;
    return float(style
                     .sizeFromContents(QStyle::CT_MenuBar, &bar,
                                       QSize(text.width(), itemHeight + 2 * frame + 2 * margin))
                     .height());
}

float MenuBarHeight() {
    // Worked out from the style and the menu bar's font rather than asked
    // of a menu bar made for the purpose: the window's own bar does not
    // exist yet when its height is needed, and making one only to ask it
    // was a noticeable part of the start-up's cost.
    return CachedSize("menubar",
                      [] {
                          const QFont font = QApplication::font("QMenuBar");
                          return Size{0, MenuBarHeightFor(font, *QApplication::style())};
                      })
        .height;
}

float TabHeight() {
    return CachedSize("tabbar",
                      [] {
                          QTabBar bar;
                          bar.addTab(QStringLiteral("Xg"));
                          return HintOf(bar);
                      })
        .height;
}

float LabelWidth(const std::string& text) {
    return Measure<float>([&] { return float(TextAdvance(QApplication::font(), ToQt(text))); });
}

float LineEditHeight() {
    return CachedSize("lineedit",
                      [] {
                          QLineEdit edit;
                          return HintOf(edit);
                      })
        .height;
}

float StatusBarHeight() {
    return CachedSize("statusbar",
                      [] {
                          QProgressBar bar;
                          return HintOf(bar);
                      })
        .height;
}

rgb_color PanelBackgroundColor() {
    return Measure<rgb_color>([] {
        QColor color = QApplication::palette().color(QPalette::Window);
        return rgb_color{uint8(color.red()), uint8(color.green()), uint8(color.blue()), 255};
    });
}

} // namespace display
