#pragma once

// Kit-private, display thread only: the widgets that mirror list views and
// scroll views. A list widget shows its rows through a model that holds the
// rows' texts as bytes and turns only the rows in sight into Qt text; the
// list view's changes reach the model in batches (see ListFeed.h).

#include <kit/display/Widgets.h>

class QWidget;

namespace display {

// A list view's widget, linked to the scroll bar of a scroll view around it.
QWidget* MakeListWidget(const ViewShape& shape, QWidget* parent);
// A scroll view's widget: the border and the vertical scroll bar.
QWidget* MakeScrollWidget(const ViewShape& shape, QWidget* parent);

} // namespace display
