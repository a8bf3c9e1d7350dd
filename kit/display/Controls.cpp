#include <kit/display/Controls.h>

#include <kit/display/ControlWidgets.h>
#include <kit/display/QtText.h>

#include <kit/interface/private/InterfacePrivate.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
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
        fLimit->SetMaxBytes(shape.maxBytes);
        setValidator(fLimit);
        setText(ToQt(shape.text));
        if (!shape.label.empty())
            setAccessibleName(ToQt(shape.label));
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

    void SetMaxBytes(int32 maxBytes) {
        fLimit->SetMaxBytes(maxBytes);
        // A validator is asked only about edits; the text already there is
        // the kit's to cut.
    }

    void SetKitText(const std::string& text) {
        QString shown = ToQt(text);
        if (shown != this->text()) {
            fSettingKitText = true;
            setText(shown);
            fSettingKitText = false;
        }
    }

private:
    ByteLimit* fLimit;
    bool fSettingKitText = false;
};

// The label column of a text control or a menu field, as wide as the divider.
class LabelledWidget : public QWidget {
public:
    LabelledWidget(QWidget* parent, const ViewShape& shape)
        : QWidget(parent), fLabel(new QLabel(ToQt(shape.label), this)),
          fDivider(qRound(shape.divider)) {
        fLabel->setTextFormat(Qt::PlainText);
        fLabel->setObjectName(QStringLiteral("Label"));
        setAccessibleName(ToQt(shape.label));
    }

    void SetDivider(float divider) {
        fDivider = qRound(divider);
        Arrange();
    }
    void SetLabel(const std::string& label) {
        fLabel->setText(ToQt(label));
        setAccessibleName(ToQt(label));
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
        const int natural = QFontMetrics(font).horizontalAdvance(fLabel->text());
        if (natural > column && natural > 0)
            font.setStretch(std::max(70, 100 * column / natural));
        fLabel->setFont(font);
        fLabel->setGeometry(0, 0, column, height());
    }
    int Divider() const { return fDivider; }

private:
    QLabel* fLabel;
    int fDivider;
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
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.features |= QStyleOptionButton::HasMenu;
        painter.drawControl(QStyle::CE_PushButton, option);
    }

private:
    QMenu* fMenu;
};

// A menu field: the label, then a button that pops up the menu and shows the
// marked item's label. Choosing an item goes to the field as the item's token.
class MenuFieldWidget : public LabelledWidget {
public:
    MenuFieldWidget(QWidget* parent, const ViewShape& shape)
        : LabelledWidget(parent, shape), fMenu(new QMenu(this)), fView(shape.view) {
        fButton = new MenuButton(this, fMenu);
        fButton->setObjectName(QStringLiteral("MenuButton"));
        fButton->setAccessibleName(ToQt(shape.label));
        fButton->setAutoDefault(false);
        if (!shape.menus.empty())
            SetMenu(shape.menus.front(), shape.text);
    }

    void SetMenu(const MenuShape& shape, const std::string& buttonLabel) {
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
        fButton->setText(Literal(buttonLabel));
        Arrange();
    }

protected:
    void Arrange() override {
        LabelledWidget::Arrange();
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
    WrappingCheckBox(const QString& label, QWidget* parent)
        : QCheckBox(label, parent), fLabel(label) {
        setAccessibleName(QString(label).replace(QStringLiteral("&&"), QStringLiteral("&")));
    }

    // The label is kept whole: every later resize wraps it anew.
    void SetLabel(const QString& label) {
        fLabel = label;
        setAccessibleName(QString(label).replace(QStringLiteral("&&"), QStringLiteral("&")));
        setText(WrapCheckBoxLabel(*this, fLabel, width()));
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
    QString wrapped;
    QString line;
    for (const QString& word : label.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && widthOf(longer) > room) {
            wrapped += line + QLatin1Char('\n');
            line = word;
        } else {
            line = longer;
        }
    }
    return wrapped + line;
}

namespace {

// A progress bar shows the kit's figure in whole units of its maximum; busy,
// it has the empty range, which Qt draws as work going on without a figure.
// Its accessible value is its own value, so a reader hears the real figure.
void ShowFigure(QProgressBar* bar, const seam::BarFigure& figure) {
    if (figure.busy) {
        bar->setRange(0, 0);
        return;
    }
    bar->setRange(0, qRound(figure.maximum));
    bar->setValue(qRound(figure.value));
}

} // namespace

bool SetControlLabel(QWidget* widget, const std::string& label) {
    if (auto* box = dynamic_cast<WrappingCheckBox*>(widget)) {
        box->SetLabel(Literal(label));
        return true;
    }
    if (auto* control = dynamic_cast<LabelledWidget*>(widget)) {
        control->SetLabel(label);
        return true;
    }
    return false;
}

QWidget* MakeControlWidget(const ViewShape& shape, QWidget* parent) {
    switch (shape.kind) {
    case Kind::CheckBox: {
        auto* box = new WrappingCheckBox(Literal(shape.label), parent);
        box->setChecked(shape.value != 0);
        BMessenger view = shape.view;
        QObject::connect(box, &QCheckBox::clicked, box, [view](bool checked) {
            BMessage clicked(kit_private::kControlInvoked);
            clicked.AddInt32("value", checked ? 1 : 0);
            Send(view, clicked);
        });
        return box;
    }
    case Kind::TextControl:
        return new LabelledWidget(parent, shape);
    case Kind::TextView:
        return new LineWidget(parent, shape);
    case Kind::MenuField:
        return new MenuFieldWidget(parent, shape);
    case Kind::StatusBar: {
        auto* bar = new QProgressBar(parent);
        // Percent as German sets it, with a space before the sign.
        bar->setFormat(QStringLiteral("%p %"));
        ShowFigure(bar, shape.bar);
        return bar;
    }
    default:
        return nullptr;
    }
}

Task SetLineText(WidgetId id, std::string text) {
    return [id, text = std::move(text)] {
        if (auto* line = dynamic_cast<LineWidget*>(FindWidget(id)))
            line->SetKitText(text);
    };
}

Task SetLineMaxBytes(WidgetId id, int32 maxBytes) {
    return [id, maxBytes] {
        if (auto* line = dynamic_cast<LineWidget*>(FindWidget(id)))
            line->SetMaxBytes(maxBytes);
    };
}

Task SetControlDivider(WidgetId id, float divider) {
    return [id, divider] {
        if (auto* control = dynamic_cast<LabelledWidget*>(FindWidget(id)))
            control->SetDivider(divider);
    };
}

Task SetMenuFieldMenu(WidgetId id, MenuShape menu, std::string buttonLabel) {
    return [id, menu = std::move(menu), buttonLabel = std::move(buttonLabel)] {
        if (auto* field = dynamic_cast<MenuFieldWidget*>(FindWidget(id)))
            field->SetMenu(menu, buttonLabel);
    };
}

Task SetStatusBar(WidgetId id, seam::BarFigure figure) {
    return [id, figure] {
        if (auto* bar = qobject_cast<QProgressBar*>(FindWidget(id)))
            ShowFigure(bar, figure);
    };
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
