#pragma once

// Kit-private, display thread only: the widget of each kind of view, made
// from its shape and given each new look of it. Every widget class has one
// Apply for its kind's look, used when it is made and on every change; the
// overloads below find the class for a look, wherever it is defined.

#include <kit/app/Verify.h>
#include <kit/interface/DisplaySeam.h>

class QWidget;

namespace display {

using seam::ViewShape;

// The widget of the view, made with its look applied, as a child of parent.
QWidget* Make(const seam::PlainShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::ButtonShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::StringShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::MenuBarShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::TabViewShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::CheckBoxShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::TextControlShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::TextViewShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::MenuFieldShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::ListShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::ScrollShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::StatusBarShape& look, const ViewShape& shape, QWidget* parent);
QWidget* Make(const seam::NumberControlShape& look, const ViewShape& shape, QWidget* parent);

// A plain view as the target of a scroll view: the scroll view's bar moves it.
void ScrollInFrame(QWidget* target, QWidget* parent);

// A new look for a widget made for a view of the same kind. A look for a
// widget of another kind is a fault in the kit, and stops the program.
void Apply(QWidget* widget, const seam::PlainShape& look);
void Apply(QWidget* widget, const seam::ButtonShape& look);
void Apply(QWidget* widget, const seam::StringShape& look);
void Apply(QWidget* widget, const seam::MenuBarShape& look);
void Apply(QWidget* widget, const seam::TabViewShape& look);
void Apply(QWidget* widget, const seam::CheckBoxShape& look);
void Apply(QWidget* widget, const seam::TextControlShape& look);
void Apply(QWidget* widget, const seam::TextViewShape& look);
void Apply(QWidget* widget, const seam::MenuFieldShape& look);
void Apply(QWidget* widget, const seam::ListShape& look);
void Apply(QWidget* widget, const seam::ScrollShape& look);
void Apply(QWidget* widget, const seam::StatusBarShape& look);
void Apply(QWidget* widget, const seam::NumberControlShape& look);

// The widget as the class made for its kind.
template <class Widget>
Widget& As(QWidget* widget) {
    auto* typed = dynamic_cast<Widget*>(widget);
    KIT_VERIFY(typed != nullptr, "a look for a widget of another kind");
    return *typed;
}

// A widget of the class, made for the view and given its first look.
template <class Widget, class Look>
QWidget* MakeApplied(const Look& look, const ViewShape& shape, QWidget* parent) {
    auto* widget = new Widget(parent, shape);
    widget->Apply(look);
    return widget;
}

} // namespace display
