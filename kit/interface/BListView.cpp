#include <kit/interface/BListView.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/BListItem.h>
#include <kit/interface/private/InterfacePrivate.h>
#include <kit/interface/private/ViewAccess.h>

#include <algorithm>

namespace {

// The sorted rows as runs of neighbours.
std::vector<seam::RowRange> RangesOf(const std::vector<int32>& rows) {
    std::vector<seam::RowRange> ranges;
    for (int32 row : rows) {
        if (!ranges.empty() && ranges.back().last + 1 == row)
            ranges.back().last = row;
        else
            ranges.push_back({row, row});
    }
    return ranges;
}

} // namespace

BListView::BListView(BRect frame, const char* name, list_view_type type, uint32 resizingMode,
                     uint32 flags)
    : BView(frame, name, resizingMode, flags), fType(type),
      fFeed(std::make_shared<seam::ListFeed>()) {}

BListView::~BListView() {
    // The items outlive the list; they may go into another one.
    for (BListItem* item : fItems)
        item->fList = nullptr;
}

bool BListView::AddItem(BListItem* item) {
    return InsertItems({item}, CountItems());
}

bool BListView::AddItem(BListItem* item, int32 index) {
    return InsertItems({item}, index);
}

bool BListView::AddList(const std::vector<BListItem*>& items) {
    return InsertItems(items, CountItems());
}

bool BListView::AddList(const std::vector<BListItem*>& items, int32 index) {
    return InsertItems(items, index);
}

bool BListView::InsertItems(const std::vector<BListItem*>& items, int32 index) {
    if (index < 0 || index > CountItems())
        return false;
    // An item stands in one list, once; marking each as it is checked also
    // finds an item given twice.
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == nullptr || items[i]->fList != nullptr) {
            for (size_t j = 0; j < i; ++j)
                items[j]->fList = nullptr;
            return false;
        }
        items[i]->fList = this;
    }
    if (items.empty())
        return true;
    const auto count = static_cast<int32>(items.size());
    fItems.insert(fItems.begin() + index, items.begin(), items.end());
    seam::ListOp op;
    op.type = seam::ListOp::Type::Insert;
    op.index = index;
    op.texts.reserve(items.size());
    for (BListItem* item : items) {
        item->fSelected = false;
        op.texts.emplace_back(item->DisplayText());
    }
    Send(std::move(op));
    // Selected rows behind the new ones move along; rows added at the end
    // leave the selection as it was.
    auto tail = std::lower_bound(fSelection.begin(), fSelection.end(), index);
    if (tail != fSelection.end()) {
        for (auto it = tail; it != fSelection.end(); ++it)
            *it += count;
        SendSelection();
    }
    return true;
}

BListItem* BListView::RemoveItem(int32 index) {
    BListItem* item = ItemAt(index);
    if (item != nullptr)
        RemoveItems(index, 1);
    return item;
}

bool BListView::RemoveItem(BListItem* item) {
    return RemoveItem(IndexOf(item)) != nullptr;
}

bool BListView::RemoveItems(int32 index, int32 count) {
    if (index < 0 || count < 0 || count > CountItems() - index)
        return false;
    if (count == 0)
        return true;
    for (int32 i = index; i < index + count; ++i) {
        fItems[static_cast<size_t>(i)]->fSelected = false;
        fItems[static_cast<size_t>(i)]->fList = nullptr;
    }
    fItems.erase(fItems.begin() + index, fItems.begin() + index + count);
    seam::ListOp op;
    op.type = seam::ListOp::Type::Remove;
    op.index = index;
    op.count = count;
    Send(std::move(op));
    auto first = std::lower_bound(fSelection.begin(), fSelection.end(), index);
    if (first != fSelection.end()) {
        auto rest = std::lower_bound(first, fSelection.end(), index + count);
        for (auto it = rest; it != fSelection.end(); ++it)
            *it -= count;
        fSelection.erase(first, rest);
        SendSelection();
    }
    return true;
}

std::vector<BListItem*> BListView::RemoveSelectedItems() {
    std::vector<BListItem*> removed;
    if (fSelection.empty())
        return removed;
    removed.reserve(fSelection.size());
    // One pass: the runs of kept items between the selected ones move down
    // as blocks, so that only the items that go are touched.
    size_t kept = 0;
    size_t next = 0;
    for (int32 row : fSelection) {
        const auto index = static_cast<size_t>(row);
        std::copy(fItems.begin() + static_cast<ptrdiff_t>(next),
                  fItems.begin() + static_cast<ptrdiff_t>(index),
                  fItems.begin() + static_cast<ptrdiff_t>(kept));
        kept += index - next;
        BListItem* item = fItems[index];
        item->fSelected = false;
        item->fList = nullptr;
        removed.push_back(item);
        next = index + 1;
    }
    std::copy(fItems.begin() + static_cast<ptrdiff_t>(next), fItems.end(),
              fItems.begin() + static_cast<ptrdiff_t>(kept));
    kept += fItems.size() - next;
    fItems.resize(kept);
    seam::ListOp op;
    op.type = seam::ListOp::Type::RemoveRanges;
    op.ranges = RangesOf(fSelection);
    fSelection.clear();
    Send(std::move(op));
    SendSelection();
    return removed;
}

void BListView::MakeEmpty() {
    for (BListItem* item : fItems) {
        item->fSelected = false;
        item->fList = nullptr;
    }
    fItems.clear();
    fSelection.clear();
    seam::ListOp op;
    op.type = seam::ListOp::Type::Reset;
    Send(std::move(op));
}

bool BListView::MoveItem(int32 from, int32 to) {
    if (from < 0 || from >= CountItems() || to < 0 || to >= CountItems())
        return false;
    if (from == to)
        return true;
    auto at = fItems.begin();
    if (from < to)
        std::rotate(at + from, at + from + 1, at + to + 1);
    else
        std::rotate(at + to, at + from, at + from + 1);
    seam::ListOp op;
    op.type = seam::ListOp::Type::Move;
    op.index = from;
    op.count = to;
    Send(std::move(op));
    bool moved = false;
    for (int32& row : fSelection) {
        int32 before = row;
        if (row == from)
            row = to;
        else if (from < to && row > from && row <= to)
            --row;
        else if (from > to && row >= to && row < from)
            ++row;
        moved |= row != before;
    }
    if (moved) {
        std::sort(fSelection.begin(), fSelection.end());
        SendSelection();
    }
    return true;
}

BListItem* BListView::ItemAt(int32 index) const {
    if (index < 0 || index >= CountItems())
        return nullptr;
    return fItems[static_cast<size_t>(index)];
}

int32 BListView::IndexOf(const BListItem* item) const {
    if (item == nullptr || item->fList != this)
        return -1;
    auto it = std::find(fItems.begin(), fItems.end(), item);
    return it == fItems.end() ? -1 : static_cast<int32>(it - fItems.begin());
}

void BListView::Select(int32 index, bool extend) {
    Select(index, index, extend);
}

void BListView::Select(int32 from, int32 to, bool extend) {
    if (from < 0 || to < from || to >= CountItems())
        return;
    std::vector<int32> rows;
    if (fType == B_SINGLE_SELECTION_LIST) {
        rows.push_back(from);
    } else {
        if (extend)
            rows = fSelection;
        for (int32 row = from; row <= to; ++row)
            rows.push_back(row);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    }
    if (SetSelection(std::move(rows))) {
        SendSelection();
        SelectionChanged();
    }
}

void BListView::Deselect(int32 index) {
    auto it = std::lower_bound(fSelection.begin(), fSelection.end(), index);
    if (it == fSelection.end() || *it != index)
        return;
    std::vector<int32> rows = fSelection;
    rows.erase(rows.begin() + (it - fSelection.begin()));
    SetSelection(std::move(rows));
    SendSelection();
    SelectionChanged();
}

void BListView::DeselectAll() {
    if (SetSelection({})) {
        SendSelection();
        SelectionChanged();
    }
}

bool BListView::IsItemSelected(int32 index) const {
    BListItem* item = ItemAt(index);
    return item != nullptr && item->IsSelected();
}

int32 BListView::CurrentSelection(int32 k) const {
    if (k < 0 || static_cast<size_t>(k) >= fSelection.size())
        return -1;
    return fSelection[static_cast<size_t>(k)];
}

void BListView::ScrollToSelection() {
    if (fSelection.empty())
        return;
    seam::ListOp op;
    op.type = seam::ListOp::Type::ScrollTo;
    op.index = fSelection.front();
    Send(std::move(op), false);
}

bool BListView::SetSelection(std::vector<int32> rows) {
    if (rows == fSelection)
        return false;
    for (int32 row : fSelection)
        fItems[static_cast<size_t>(row)]->fSelected = false;
    fSelection = std::move(rows);
    for (int32 row : fSelection)
        fItems[static_cast<size_t>(row)]->fSelected = true;
    return true;
}

void BListView::Send(seam::ListOp op, bool newGeneration) {
    if (Window() == nullptr)
        return;
    if (newGeneration)
        ++fGeneration;
    if (fFeed->Push(std::move(op), fGeneration))
        kit_private::ViewAccess::Queue(this, seam::FeedList{Token(), fFeed});
}

void BListView::SendSelection() {
    seam::ListOp op;
    op.type = seam::ListOp::Type::Select;
    op.ranges = RangesOf(fSelection);
    Send(std::move(op));
}

void BListView::SendAll() {
    seam::ListOp op;
    op.type = seam::ListOp::Type::Reset;
    op.texts.reserve(fItems.size());
    for (BListItem* item : fItems)
        op.texts.emplace_back(item->DisplayText());
    Send(std::move(op));
    if (!fSelection.empty())
        SendSelection();
}

void BListView::AttachedToWindow() {
    // The widget is made empty; the rows follow in one batch.
    SendAll();
}

void BListView::SetAccessibleLabel(const std::string& label) {
    if (label == fAccessibleLabel)
        return;
    fAccessibleLabel = label;
    kit_private::ViewAccess::QueueLook(this);
}

seam::Look BListView::WidgetLook() const {
    return seam::ListShape{fType == B_MULTIPLE_SELECTION_LIST, fAccessibleLabel};
}

void BListView::HandleDisplayEvent(BMessage* message) {
    if (message->what != kit_private::kSelectionMade)
        return;
    int64 generation = -1;
    message->FindInt64("generation", &generation);
    if (static_cast<uint64>(generation) != fGeneration) {
        // The user chose among rows that have changed since: the display is
        // told the selection that holds instead.
        SendSelection();
        return;
    }
    std::vector<int32> rows;
    int32 first = 0, last = 0;
    for (int32 i = 0; message->FindInt32("first", i, &first) == B_OK &&
                      message->FindInt32("last", i, &last) == B_OK;
         ++i) {
        first = std::max(first, int32(0));
        last = std::min(last, CountItems() - 1);
        for (int32 row = first; row <= last; ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (fType == B_SINGLE_SELECTION_LIST && rows.size() > 1)
        rows.erase(rows.begin() + 1, rows.end());
    if (SetSelection(std::move(rows)))
        SelectionChanged();
}
