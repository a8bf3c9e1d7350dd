#include <kit/display/NumberControls.h>

#include <kit/display/ControlWidgets.h>
#include <kit/display/Looks.h>
#include <kit/display/QtText.h>

#include <kit/interface/BNumberControl.h>
#include <kit/interface/private/InterfacePrivate.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

namespace display {

namespace {

// The field of a number control, its frame drawn whole at every device pixel
// ratio.
class NumberField final : public QSpinBox {
public:
    explicit NumberField(QWidget* parent) : QSpinBox(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        PaintOnWholePixels(this, event, [this](QPainter& painter) {
            QStyleOptionSpinBox option;
            initStyleOption(&option);
            style()->drawComplexControl(QStyle::CC_SpinBox, &option, &painter, this);
        });
    }
};

// A number control: the label's column, then a spin box. The spin box takes
// the keyboard focus in the control's place, so that Tab reaches it where
// the control stands among its siblings, and an assistive tool reads it by
// the label.
class NumberControlWidget final : public QWidget {
public:
    NumberControlWidget(QWidget* parent, const ViewShape& shape)
        : QWidget(parent), fLabel(new QLabel(this)), fField(new NumberField(this)) {
        fLabel->setTextFormat(Qt::PlainText);
        fLabel->setObjectName(QStringLiteral("Label"));
        fLabel->setBuddy(fField);
        fField->setObjectName(QStringLiteral("Field"));
        setFocusProxy(fField);
        // Every value the kit did not set is the user's: stepped, typed, or
        // set by an assistive tool.
        BMessenger view = shape.view;
        connect(fField, &QSpinBox::valueChanged, this, [this, view](int value) {
            if (fSettingKitValue)
                return;
            BMessage changed(kit_private::kControlInvoked);
            changed.AddInt32("value", value);
            view.SendMessage(&changed);
        });
    }

    void Apply(const seam::NumberControlShape& shape) {
        fLabel->setText(ToQt(shape.label));
        setAccessibleName(ToQt(shape.label));
        fField->setAccessibleName(ToQt(shape.label));
        fDivider = qRound(shape.divider);
        fSettingKitValue = true;
        fField->setRange(shape.minimum, shape.maximum);
        fField->setValue(shape.value);
        fSettingKitValue = false;
        Arrange();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Arrange();
    }

private:
    void Arrange() {
        const int gap = int(BNumberControl::kGap);
        const int needed = fLabel->text().isEmpty() ? 0 : TextAdvance(font(), fLabel->text()) + gap;
        const int column = std::max(fDivider, needed);
        fLabel->setGeometry(0, 0, std::max(0, column - gap), height());
        fField->setGeometry(column, 0, std::max(0, width() - column), height());
    }

    QLabel* fLabel;
    NumberField* fField;
    int fDivider = 0;
    bool fSettingKitValue = false;
};

} // namespace

QWidget* Make(const seam::NumberControlShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<NumberControlWidget>(look, shape, parent);
}

void Apply(QWidget* widget, const seam::NumberControlShape& look) {
    As<NumberControlWidget>(widget).Apply(look);
}

Size PreferredNumberFieldSize(int32 minimum, int32 maximum) {
    Size size;
    Invoke([&] {
        QSpinBox field;
        field.setRange(minimum, maximum);
        const QSize hint = field.sizeHint();
        size = Size{float(hint.width()), float(hint.height())};
    });
    return size;
}

} // namespace display
