#include <kit/display/Controls.h>

#include <kit/display/ControlWidgets.h>
#include <kit/display/Looks.h>
#include <kit/display/QtText.h>

#include <kit/interface/private/InterfacePrivate.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QValidator>

#include <algorithm>

namespace display {

namespace {

void Send(const BMessenger& target, BMessage message) {
    target.SendMessage(&message);
}

// Refuses an edit that would make the text longer than the limit in bytes of
// UTF-8 (Qt's own limit counts UTF-16 units): the key press or the paste that
// would pass it does nothing.
class ByteLimit : public QValidator {
public:
    explicit ByteLimit(QObject* parent) : QValidator(parent) {}
    void SetMaxBytes(int32 maxBytes) { fMaxBytes = maxBytes; }
    State validate(QString& input, int&) const override {
        return input.toUtf8().size() <= fMaxBytes ? Acceptable : Invalid;
    }

private:
    int32 fMaxBytes = 0x7fffffff;
};

// The editable line of a text control; every edit by the user goes to the
// text view as its new text.
class LineWidget : public QLineEdit {
public:
    LineWidget(QWidget* parent, const ViewShape& shape)
        : QLineEdit(parent), fLimit(new ByteLimit(this)) {
        setValidator(fLimit);
        // Every change that the kit did not make is the user's: typed, or
        // set by an assistive tool, which changes the text without the
        // signal that typing gives.
        BMessenger view = shape.view;
        connect(this, &QLineEdit::textChanged, this, [this, view](const QString& text) {
            if (fSettingKitText)
                return;
            BMessage edited(kit_private::kTextEdited);
            edited.AddString("text", FromQt(text));
            Send(view, edited);
        });
    }

    void Apply(const seam::TextViewShape& shape) {
        // A validator is asked only about edits; the text already there is
        // the kit's to cut.
        fLimit->SetMaxBytes(shape.maxBytes);
        QString shown = ToQt(shape.text);
        if (shown != text()) {
            fSettingKitText = true;
            setText(shown);
            fSettingKitText = false;
        }
        if (!shape.accessibleLabel.empty())
            setAccessibleName(ToQt(shape.accessibleLabel));
    }

private:
    ByteLimit* fLimit;
    bool fSettingKitText = false;
};

// The label column of a text control or a menu field, as wide as the divider.
class LabelColumn : public QWidget {
public:
    explicit LabelColumn(QWidget* parent) : QWidget(parent), fLabel(new QLabel(this)) {
        fLabel->setTextFormat(Qt::PlainText);
        fLabel->setObjectName(QStringLiteral("Label"));
    }

protected:
    void SetColumn(const std::string& label, float divider) {
        fLabel->setText(ToQt(label));
        setAccessibleName(ToQt(label));
        fDivider = qRound(divider);
        Arrange();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Arrange();
    }
    virtual void Arrange() {
        // The column's width is fixed by the program; a label that the
        // style's font makes wider is drawn a little narrower instead of
        // being cut off.
        const int column = std::max(0, fDivider);
        QFont font = this->font();
        const int natural = TextAdvance(font, fLabel->text());
        if (natural > column && natural > 0)
            font.setStretch(std::max(70, 100 * column / natural));
        fLabel->setFont(font);
        fLabel->setGeometry(0, 0, column, height());
    }
    int Divider() const { return fDivider; }

private:
    QLabel* fLabel;
    int fDivider = 0;
};

// A text control: the label's column; its line is a widget of its own.
class TextControlWidget final : public LabelColumn {
public:
    TextControlWidget(QWidget* parent, const ViewShape&) : LabelColumn(parent) {}
    void Apply(const seam::TextControlShape& shape) { SetColumn(shape.label, shape.divider); }
};

// The button of a menu field. It looks like Qt's button with a menu but opens
// the menu without a nested event loop: Qt's own would hold up whoever
// pressed it (an assistive tool waits for its press to be answered) until an
// item is chosen.
class MenuButton : public QPushButton {
public:
    MenuButton(QWidget* parent, QMenu* menu) : QPushButton(parent), fMenu(menu) {
        QObject::connect(this, &QPushButton::clicked, this,
                         [this] { fMenu->popup(mapToGlobal(QPoint(0, height()))); });
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        PaintOnWholePixels(this, event, [this](QPainter& painter) {
            QStyleOptionButton option;
            initStyleOption(&option);
            option.features |= QStyleOptionButton::HasMenu;
            style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        });
    }

private:
    QMenu* fMenu;
};

// A menu field: the label, then a button that pops up the menu and shows the
// marked item's label. Choosing an item goes to the field as the item's token.
class MenuFieldWidget final : public LabelColumn {
public:
    MenuFieldWidget(QWidget* parent, const ViewShape& shape)
        : LabelColumn(parent), fMenu(new QMenu(this)), fView(shape.view) {
        fButton = new MenuButton(this, fMenu);
        fButton->setObjectName(QStringLiteral("MenuButton"));
        fButton->setAutoDefault(false);
    }

    void Apply(const seam::MenuFieldShape& look) {
        fButton->setAccessibleName(ToQt(look.label));
        const MenuShape& shape = look.menu;
        fMenu->clear();
        fMenu->setObjectName(ToQt(shape.label));
        auto* group = new QActionGroup(fMenu);
        group->setExclusive(shape.radio);
        for (const MenuItemShape& item : shape.items) {
            if (item.separator) {
                fMenu->addSeparator();
                continue;
            }
            QAction* action = fMenu->addAction(Literal(item.label));
            action->setObjectName(ToQt(item.label));
            action->setEnabled(item.enabled);
            action->setCheckable(shape.radio || item.marked);
            action->setChecked(item.marked);
            group->addAction(action);
            WidgetId token = item.id;
            BMessenger view = fView;
            QObject::connect(action, &QAction::triggered, fMenu, [view, token] {
                BMessage chosen(kit_private::kMenuItemChosen);
                chosen.AddInt64("item", static_cast<int64>(token));
                Send(view, chosen);
            });
        }
        fButton->setText(Literal(look.buttonLabel));
        SetColumn(look.label, look.divider);
    }

protected:
    void Arrange() override {
        LabelColumn::Arrange();
        const int left = std::max(0, Divider());
        const int width = std::min(fButton->sizeHint().width(), std::max(0, this->width() - left));
        fButton->setGeometry(left, 0, width, height());
    }

private:
    QPushButton* fButton;
    QMenu* fMenu;
    BMessenger fView;
};

} // namespace

namespace {

// A check box whose label breaks into lines when the box is given less
// width than the label needs on one line, instead of being cut off.
class WrappingCheckBox : public QCheckBox {
public:
    WrappingCheckBox(QWidget* parent, const ViewShape& shape) : QCheckBox(parent) {
        BMessenger view = shape.view;
        QObject::connect(this, &QCheckBox::clicked, this, [view](bool checked) {
            BMessage clicked(kit_private::kControlInvoked);
            clicked.AddInt32("value", checked ? 1 : 0);
            Send(view, clicked);
        });
    }

    // The label is kept whole: every later resize wraps it anew. A box that
    // was never given its frame has Qt's default width, not its view's, so
    // its first look is left unwrapped: the resize that the frame brings
    // wraps it for the real width before the box is first shown, and
    // wrapping it for a width it never has would only cost the start.
    void Apply(const seam::CheckBoxShape& shape) {
        fLabel = Literal(shape.label);
        setAccessibleName(ToQt(shape.label));
        setText(testAttribute(Qt::WA_Resized) ? WrapCheckBoxLabel(*this, fLabel, width()) : fLabel);
        QSignalBlocker quiet(this);
        setChecked(shape.checked);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QCheckBox::resizeEvent(event);
        const QString wrapped = WrapCheckBoxLabel(*this, fLabel, width());
        if (wrapped != text())
            setText(wrapped);
    }

private:
    QString fLabel;
};

} // namespace

QString WrapCheckBoxLabel(const QCheckBox& box, const QString& label, int width) {
    // The room for the text is what the style leaves of the width beside the
    // box and its spacing, asked of the style the way the check box asks it
    // for its own size: so a label wrapped here never makes the box wider
    // than the width.
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = label;
    const QFontMetrics metrics = box.fontMetrics();
    const int overhead =
        box.style()
            ->sizeFromContents(QStyle::CT_CheckBox, &option, QSize(0, metrics.height()), &box)
            .width();
    const int room = width - overhead;
    auto widthOf = [&](const QString& text) {
        return metrics.size(Qt::TextShowMnemonic, text).width();
    };
    if (widthOf(label) <= room)
        return label;
    // Each line takes as many of the remaining words as fit, at least one.
    // A line grows with every word it takes, so the most that fit are found
    // by halving the range of candidates: shaping a line for every word
    // added to it made wrapping one long label cost as much as measuring a
    // whole window's buttons.
    const QStringList words = label.split(QLatin1Char(' '));
    auto lineOf = [&](qsizetype first, qsizetype count) {
        return words.mid(first, count).join(QLatin1Char(' '));
    };
    QStringList lines;
    for (qsizetype first = 0; first < words.size();) {
        qsizetype fits = 1;
        qsizetype tooMany = words.size() - first + 1;
        while (tooMany - fits > 1) {
            const qsizetype middle = fits + (tooMany - fits) / 2;
            if (widthOf(lineOf(first, middle)) <= room)
                fits = middle;
            else
                tooMany = middle;
        }
        lines.append(lineOf(first, fits));
        first += fits;
    }
    return lines.join(QLatin1Char('\n'));
}

namespace {

// A progress bar shows the kit's figure in whole units of its maximum; busy,
// it has the empty range, which Qt draws as work going on without a figure.
// Its accessible value is its own value, so a reader hears the real figure.
class StatusBarWidget : public QProgressBar {
public:
    StatusBarWidget(QWidget* parent, const ViewShape&) : QProgressBar(parent) {
        // Percent as German sets it, with a space before the sign.
        setFormat(QStringLiteral("%p %"));
    }
    void Apply(const seam::StatusBarShape& shape) {
        if (!shape.label.empty())
            setAccessibleName(ToQt(shape.label));
        if (shape.busy) {
            // A busy bar has no value at all, whatever it showed before. Qt
            // repaints a bar at once, outside the window's next frame, on
            // every reset: a bar that is busy already is left as it is.
            if (maximum() != 0 || minimum() != 0 || value() != minimum() - 1) {
                setRange(0, 0);
                reset();
            }
            return;
        }
        setRange(0, qRound(shape.maximum));
        setValue(qRound(shape.value));
    }

protected:
    // The style moves a busy bar's stripes with the clock and asks for a
    // new frame sixty times a second. Ten are enough to show that work
    // goes on, as the desktop's own busy bars pulse, and each frame costs a
    // good part of a millisecond: during a run every busy bar's frames take
    // the processor from the encoders. A frame left out is still taken, or
    // the style would end the animation.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::StyleAnimationUpdate && isVisible()) {
            if (fLastFrame.isValid() && fLastFrame.elapsed() < kBusyFrameMs) {
                event->accept();
                return true;
            }
            fLastFrame.start();
        }
        return QProgressBar::event(event);
    }

private:
    static constexpr qint64 kBusyFrameMs = 100;
    QElapsedTimer fLastFrame;
};

} // namespace

QWidget* Make(const seam::CheckBoxShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<WrappingCheckBox>(look, shape, parent);
}
QWidget* Make(const seam::TextControlShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<TextControlWidget>(look, shape, parent);
}
QWidget* Make(const seam::TextViewShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<LineWidget>(look, shape, parent);
}
QWidget* Make(const seam::MenuFieldShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<MenuFieldWidget>(look, shape, parent);
}
void Apply(QWidget* widget, const seam::CheckBoxShape& look) {
    As<WrappingCheckBox>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::TextControlShape& look) {
    As<TextControlWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::TextViewShape& look) {
    As<LineWidget>(widget).Apply(look);
}
void Apply(QWidget* widget, const seam::MenuFieldShape& look) {
    As<MenuFieldWidget>(widget).Apply(look);
}
QWidget* Make(const seam::StatusBarShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<StatusBarWidget>(look, shape, parent);
}
void Apply(QWidget* widget, const seam::StatusBarShape& look) {
    As<StatusBarWidget>(widget).Apply(look);
}

Size PreferredMenuButtonSize(const std::vector<std::string>& labels) {
    Size size;
    Invoke([&] {
        QPushButton button;
        QMenu menu;
        button.setMenu(&menu);
        for (const std::string& label : labels) {
            button.setText(Literal(label));
            QSize hint = button.sizeHint();
            size.width = std::max(size.width, float(hint.width()));
            size.height = std::max(size.height, float(hint.height()));
        }
    });
    return size;
}

} // namespace display
