// The widgets that mirror list views and scroll views. A list widget shows
// its rows through a model that holds the rows' texts as bytes and turns only
// the rows in sight into Qt text; the list view's changes reach the model in
// batches (see ListFeed.h). Display thread only.

#include <kit/display/ControlWidgets.h>
#include <kit/display/Looks.h>
#include <kit/display/Widgets.h>

#include <kit/display/QtText.h>
#include <kit/display/UriList.h>
#include <kit/display/WidgetRegistry.h>
#include <kit/interface/ListFeed.h>

#include <kit/app/AppDefs.h>
#include <kit/interface/BScrollView.h>
#include <kit/interface/private/InterfacePrivate.h>
#include <kit/storage/entry_ref.h>

#include <QAbstractListModel>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFrame>
#include <QItemSelection>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWheelEvent>

#include <algorithm>

namespace display {

using seam::ListFeed;
using seam::ListOp;
using seam::RowRange;

namespace {

// The rows' texts, as bytes. Qt text is made only for the rows that are
// drawn; bytes that are not UTF-8 come out as replacement marks, as the
// desktop shows such file names.
class ListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(fRows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(fRows.size()))
            return {};
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return {};
        return ToQt(fRows[size_t(index.row())]);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    void Insert(int32 row, std::vector<std::string>& texts) {
        if (texts.empty() || row < 0 || row > rowCount())
            return;
        beginInsertRows(QModelIndex(), row, row + int(texts.size()) - 1);
        fRows.insert(fRows.begin() + row, std::make_move_iterator(texts.begin()),
                     std::make_move_iterator(texts.end()));
        endInsertRows();
    }

    void Remove(int32 row, int32 count) {
        if (count <= 0 || row < 0 || row + count > rowCount())
            return;
        beginRemoveRows(QModelIndex(), row, row + count - 1);
        fRows.erase(fRows.begin() + row, fRows.begin() + row + count);
        endRemoveRows();
    }

    void RemoveRanges(const std::vector<RowRange>& ranges) {
        // A few runs go one by one, so that the view keeps its place; many
        // runs go in one pass, which costs no more than the list is long.
        if (ranges.size() <= 8) {
            for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
                Remove(it->first, it->last - it->first + 1);
            return;
        }
        beginResetModel();
        std::vector<std::string> kept;
        kept.reserve(fRows.size());
        size_t next = 0;
        for (size_t row = 0; row < fRows.size(); ++row) {
            while (next < ranges.size() && int32(row) > ranges[next].last)
                ++next;
            if (next < ranges.size() && int32(row) >= ranges[next].first)
                continue;
            kept.push_back(std::move(fRows[row]));
        }
        fRows.swap(kept);
        endResetModel();
    }

    void Move(int32 from, int32 to) {
        if (from < 0 || to < 0 || from >= rowCount() || to >= rowCount() || from == to)
            return;
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
        auto at = fRows.begin();
        if (from < to)
            std::rotate(at + from, at + from + 1, at + to + 1);
        else
            std::rotate(at + to, at + from, at + from + 1);
        endMoveRows();
    }

    void Reset(std::vector<std::string>& texts) {
        beginResetModel();
        fRows.swap(texts);
        endResetModel();
    }

private:
    std::vector<std::string> fRows;
};

// A scroll view: a border around its target and a scroll bar on the right
// that moves with the target's own (hidden) one. A target that is a plain
// view, taller than the frame shows, is moved up and down by the bar
// itself, and brought into sight where it holds the focus. A list draws no
// frame of its own, so the border shows where the keyboard is: while the
// list has the focus, it is drawn as the style draws a focused field.
class ScrollFrame : public QFrame {
public:
    ScrollFrame(QWidget* parent, const ViewShape&) : QFrame(parent) {
        fFocusWatch = QObject::connect(qApp, &QApplication::focusChanged, this,
                                       [this](QWidget*, QWidget* now) { ShowFocus(now); });
    }
    // Qt ends the connection only once QObject's own destructor runs, after
    // the children have gone: a focused list among them gives up its focus
    // as it goes, and the signal would reach a frame that is half destroyed.
    ~ScrollFrame() override { QObject::disconnect(fFocusWatch); }

    // The kit's scroll views keep their bars and border for life; the bar
    // is made once, before the target's list follows it.
    void Apply(const seam::ScrollShape& shape) {
        fBorder = shape.border;
        if (fBorder >= 2)
            setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        else if (fBorder == 1)
            setFrameStyle(QFrame::Box | QFrame::Plain);
        else
            setFrameStyle(QFrame::NoFrame);
        setLineWidth(1);
        if (shape.vertical && fBar == nullptr) {
            fBar = new QScrollBar(Qt::Vertical, this);
            fBar->setObjectName(QStringLiteral("VerticalScrollBar"));
            fBar->setAccessibleName(QStringLiteral("Bildlaufleiste"));
            fBar->setRange(0, 0);
        }
    }

    bool HasVerticalBar() const { return fBar != nullptr; }

    void Surround(QWidget* list) {
        fList = list;
        list->installEventFilter(this);
    }

    // The kit places the target at its frame; the frame shows it moved up
    // by the bar's value, however often the kit places it again.
    void Hold(QWidget* target) {
        if (fBar == nullptr)
            return;
        fTarget = target;
        target->installEventFilter(this);
        QObject::connect(fBar, &QScrollBar::valueChanged, this, [this] { Place(); });
        Measure();
    }

    void Follow(QAbstractScrollArea* area) {
        if (fBar == nullptr)
            return;
        QScrollBar* inner = area->verticalScrollBar();
        QObject::connect(inner, &QScrollBar::rangeChanged, fBar, [this, inner](int min, int max) {
            fBar->setPageStep(inner->pageStep());
            fBar->setSingleStep(inner->singleStep());
            fBar->setRange(min, max);
        });
        QObject::connect(inner, &QScrollBar::valueChanged, fBar, &QScrollBar::setValue);
        QObject::connect(fBar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        PaintOnWholePixels(this, event, [this](QPainter& painter) {
            QStyleOptionFrame frame;
            initStyleOption(&frame);
            if (fList.isNull() || !fList->hasFocus()) {
                style()->drawControl(QStyle::CE_ShapedFrame, &frame, &painter, this);
                return;
            }
            // The list takes keys as a text field does, and shows it has
            // them with the frame the style gives a field that has them.
            frame.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
            frame.lineWidth = 1;
            style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &painter, this);
        });
    }

    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (fBar != nullptr) {
            const int bar = int(B_V_SCROLL_BAR_WIDTH);
            fBar->setGeometry(width() - fBorder - bar, fBorder, bar, height() - 2 * fBorder);
        }
        Measure();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == fList &&
            (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
            update();
        if (watched == fTarget &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            // Anywhere but where the bar keeps it, the kit has placed it.
            if (fTarget->y() != fKitTop - fShift)
                fKitTop = fTarget->y();
            Measure();
        }
        return QFrame::eventFilter(watched, event);
    }

    void wheelEvent(QWheelEvent* event) override {
        if (fTarget != nullptr && fBar != nullptr)
            QApplication::sendEvent(fBar, event);
        else
            QFrame::wheelEvent(event);
    }

private:
    // The part of the target the frame shows, and the bar's range with it.
    void Measure() {
        if (fTarget == nullptr || fBar == nullptr)
            return;
        const int shown = std::max(0, height() - 2 * fBorder);
        fBar->setPageStep(std::max(1, shown));
        fBar->setSingleStep(std::max(1, shown / 8));
        fBar->setRange(0, std::max(0, fTarget->height() - shown));
        Place();
    }

    void Place() {
        if (fTarget == nullptr)
            return;
        fShift = fBar->value();
        fTarget->move(fTarget->x(), fKitTop - fShift);
    }

    // Scrolls so that a focused widget inside the target is seen whole.
    void ShowFocus(QWidget* focused) {
        if (fTarget == nullptr || focused == nullptr || !fTarget->isAncestorOf(focused))
            return;
        const int top = focused->mapTo(fTarget, QPoint(0, 0)).y();
        const int shown = std::max(0, height() - 2 * fBorder);
        if (top < fShift)
            fBar->setValue(top);
        else if (top + focused->height() > fShift + shown)
            fBar->setValue(top + focused->height() - shown);
    }

private:
    QMetaObject::Connection fFocusWatch;
    int fBorder = 0;
    QScrollBar* fBar = nullptr;
    QWidget* fTarget = nullptr;
    // Where the kit puts the target, and how far the bar moves it up.
    int fKitTop = 0;
    int fShift = 0;
    QPointer<QWidget> fList;
};

// A list view's widget. Selections the user makes go to the list view as
// one message each, stamped with the generation of the rows shown; the list
// view's own changes arrive through Apply and are not echoed back.
class ListWidget : public QListView {
public:
    ListWidget(QWidget* parent, const ViewShape& shape)
        : QListView(parent), fView(shape.view), fModel(new ListModel(this)) {
        // Setting the model reports an empty selection; the list view has
        // nothing to learn from that.
        fApplying = true;
        setModel(fModel);
        fApplying = false;
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setUniformItemSizes(true);
        setDragEnabled(false);
        setDragDropMode(QAbstractItemView::DropOnly);
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setTextElideMode(Qt::ElideMiddle);
    }

    void UseOuterBar(ScrollFrame* frame) {
        setFrameShape(QFrame::NoFrame);
        frame->Surround(this);
        if (frame->HasVerticalBar()) {
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            frame->Follow(this);
        }
    }

    void Apply(const seam::ListShape& shape) {
        if (!shape.accessibleLabel.empty())
            setAccessibleName(ToQt(shape.accessibleLabel));
        setSelectionMode(shape.multipleSelection ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::SingleSelection);
    }

    // The list view's changes since the last feed, from its feed.
    void Take(std::vector<ListOp>& ops, uint64 generation) {
        fApplying = true;
        for (ListOp& op : ops) {
            switch (op.type) {
            case ListOp::Type::Insert:
                fModel->Insert(op.index, op.texts);
                break;
            case ListOp::Type::Remove:
                fModel->Remove(op.index, op.count);
                break;
            case ListOp::Type::RemoveRanges:
                fModel->RemoveRanges(op.ranges);
                break;
            case ListOp::Type::Move:
                fModel->Move(op.index, op.count);
                break;
            case ListOp::Type::Reset:
                fModel->Reset(op.texts);
                break;
            case ListOp::Type::Select:
                ShowSelection(op.ranges);
                break;
            case ListOp::Type::ScrollTo:
                if (op.index >= 0 && op.index < fModel->rowCount())
                    scrollTo(fModel->index(op.index));
                break;
            }
        }
        fGeneration = generation;
        fApplying = false;
    }

protected:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override {
        QListView::selectionChanged(selected, deselected);
        if (!fApplying)
            Report();
    }

    void dragEnterEvent(QDragEnterEvent* event) override { TakeAsCopy(event); }

    void dragMoveEvent(QDragMoveEvent* event) override { TakeAsCopy(event); }

    void dropEvent(QDropEvent* event) override {
        if (!TakeAsCopy(event))
            return;
        const QMimeData* mime = event->mimeData();
        BMessage drop(B_SIMPLE_DATA);
        for (const std::string& path : LocalPaths(mime->data(QStringLiteral("text/uri-list")))) {
            entry_ref ref;
            if (get_ref_for_path(path.c_str(), &ref) == B_OK)
                drop.AddRef("refs", &ref);
        }
        if (drop.HasRef("refs"))
            fView.SendMessage(&drop);
    }

private:
    // The list only notes where the files are: a drop is always a copy, so
    // that a source which would delete what it moved (a file manager's
    // move, a drag with Shift held) leaves its files where they are. A
    // source that offers no copy is refused.
    static bool TakeAsCopy(QDropEvent* event) {
        if (!event->mimeData()->hasFormat(QStringLiteral("text/uri-list")) ||
            !(event->possibleActions() & Qt::CopyAction)) {
            event->ignore();
            return false;
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return true;
    }

    void ShowSelection(const std::vector<RowRange>& ranges) {
        QItemSelection selection;
        const int rows = fModel->rowCount();
        for (const RowRange& range : ranges)
            if (range.first >= 0 && range.last < rows && range.first <= range.last)
                selection.select(fModel->index(range.first), fModel->index(range.last));
        QItemSelectionModel* model = selectionModel();
        if (selection.isEmpty()) {
            model->clearSelection();
            return;
        }
        model->select(selection, QItemSelectionModel::ClearAndSelect);
        // Keys and Shift-clicks go on from the first selected row.
        model->setCurrentIndex(fModel->index(ranges.front().first), QItemSelectionModel::NoUpdate);
    }

    void Report() {
        std::vector<RowRange> ranges;
        for (const QItemSelectionRange& range : selectionModel()->selection())
            ranges.push_back({range.top(), range.bottom()});
        std::sort(ranges.begin(), ranges.end(),
                  [](const RowRange& a, const RowRange& b) { return a.first < b.first; });
        BMessage chosen(kit_private::kSelectionMade);
        chosen.AddInt64("generation", int64(fGeneration));
        std::vector<RowRange> merged;
        for (const RowRange& range : ranges) {
            if (!merged.empty() && range.first <= merged.back().last + 1)
                merged.back().last = std::max(merged.back().last, range.last);
            else
                merged.push_back(range);
        }
        for (const RowRange& range : merged) {
            chosen.AddInt32("first", range.first);
            chosen.AddInt32("last", range.last);
        }
        fView.SendMessage(&chosen);
    }

    BMessenger fView;
    ListModel* fModel;
    uint64 fGeneration = 0;
    bool fApplying = false;
};

WidgetRegistry<ListWidget>& Lists() {
    static WidgetRegistry<ListWidget> lists;
    return lists;
}

} // namespace

QWidget* Make(const seam::ListShape& look, const ViewShape& shape, QWidget* parent) {
    QWidget* list = MakeApplied<ListWidget>(look, shape, parent);
    // A list inside a scroll view scrolls with the scroll view's bar.
    if (auto* frame = dynamic_cast<ScrollFrame*>(parent))
        As<ListWidget>(list).UseOuterBar(frame);
    Lists().Remember(shape.id, &As<ListWidget>(list));
    return list;
}

QWidget* Make(const seam::ScrollShape& look, const ViewShape& shape, QWidget* parent) {
    return MakeApplied<ScrollFrame>(look, shape, parent);
}

void ScrollInFrame(QWidget* target, QWidget* parent) {
    if (auto* frame = dynamic_cast<ScrollFrame*>(parent))
        frame->Hold(target);
}

void Apply(QWidget* widget, const seam::ListShape& look) {
    As<ListWidget>(widget).Apply(look);
}

void Apply(QWidget* widget, const seam::ScrollShape& look) {
    As<ScrollFrame>(widget).Apply(look);
}

Task FeedList(WidgetId id, std::shared_ptr<ListFeed> feed) {
    return [id, feed = std::move(feed)] {
        uint64 generation = 0;
        std::vector<ListOp> ops = feed->Take(&generation);
        if (ListWidget* list = Lists().Find(id))
            list->Take(ops, generation);
    };
}

} // namespace display
