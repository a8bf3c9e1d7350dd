#pragma once

// A list of rows, each a BListItem, of which the user selects one or several
// as in any list of the desktop: a click selects a row, Ctrl-click adds or
// takes away one, Shift-click selects a run, the arrow keys, Home and End move
// the selection, Ctrl+A selects all. Rows cannot be dragged to another place
// and no key removes a row.
//
// The list view keeps the items and the selection itself, under its window's
// lock; the display mirrors them through a model that receives the changes in
// batches. The list does not own its items: whoever adds an item deletes it
// after taking it out again.
//
// Files dropped on the list arrive at its window as one B_SIMPLE_DATA message
// with the files as "refs", handled by MessageReceived.

#include <kit/interface/BView.h>

#include <memory>
#include <string>
#include <vector>

class BListItem;

namespace seam {
class ListFeed;
struct ListOp;
} // namespace seam

namespace kit_private {
class ViewAccess;
}

enum list_view_type {
    B_SINGLE_SELECTION_LIST,
    B_MULTIPLE_SELECTION_LIST,
};

class BListView : public BView {
public:
    BListView(BRect frame, const char* name, list_view_type type = B_SINGLE_SELECTION_LIST,
              uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
    ~BListView() override;

    // Every method below is for the window's lock holder, or for any thread
    // while the list is not in a window.

    // Adds an item at the end, or before the row at index (CountItems()
    // appends). False, and nothing added, for a null item, one already in a
    // list, or an index out of range.
    virtual bool AddItem(BListItem* item);
    virtual bool AddItem(BListItem* item, int32 index);
    // Adds several items, in their order, at the end or before index; these
    // do not go through AddItem. False, and nothing added, if any item
    // could not be added.
    bool AddList(const std::vector<BListItem*>& items);
    bool AddList(const std::vector<BListItem*>& items, int32 index);
    // Takes items out without deleting them.
    virtual BListItem* RemoveItem(int32 index);
    bool RemoveItem(BListItem* item);
    bool RemoveItems(int32 index, int32 count);
    // Takes out every selected item in one pass over the list and hands them
    // over in list order; the others keep their order. Nothing is selected
    // afterwards.
    std::vector<BListItem*> RemoveSelectedItems();
    // Takes out every item; the caller deletes them.
    void MakeEmpty();
    // Moves the item at from to index to; the items between shift by one.
    bool MoveItem(int32 from, int32 to);

    int32 CountItems() const { return static_cast<int32>(fItems.size()); }
    bool IsEmpty() const { return fItems.empty(); }
    BListItem* ItemAt(int32 index) const;
    BListItem* FirstItem() const { return ItemAt(0); }
    BListItem* LastItem() const { return ItemAt(CountItems() - 1); }
    int32 IndexOf(const BListItem* item) const;
    bool HasItem(const BListItem* item) const { return IndexOf(item) >= 0; }

    list_view_type ListType() const { return fType; }

    // The name an assistive tool reads for the list; empty, the view's name.
    void SetAccessibleLabel(const std::string& label);

    // Selects a row or a run of rows; without extend the rest is deselected
    // first. A single-selection list selects the one row index (or from).
    void Select(int32 index, bool extend = false);
    void Select(int32 from, int32 to, bool extend = false);
    void Deselect(int32 index);
    void DeselectAll();
    bool IsItemSelected(int32 index) const;
    // The list index of the k-th selected row in list order, -1 past the last.
    int32 CurrentSelection(int32 k = 0) const;
    // Brings the first selected row into sight.
    void ScrollToSelection();

    // Hook: the selection has changed, by the user or by Select, Deselect or
    // DeselectAll. Thread: the window's, locked.
    virtual void SelectionChanged() {}

    void AttachedToWindow() override;

private:
    friend class kit_private::ViewAccess;

    seam::Look WidgetLook() const override;
    void HandleDisplayEvent(BMessage* message) override;

    // Sets the selection to exactly these sorted rows; true if it changed.
    bool SetSelection(std::vector<int32> rows);
    bool InsertItems(const std::vector<BListItem*>& items, int32 index);
    void Send(seam::ListOp op, bool newGeneration = true);
    void SendSelection();
    void SendAll();

    list_view_type fType;
    std::string fAccessibleLabel;
    std::vector<BListItem*> fItems;
    // The selected rows, ascending: the truth behind CurrentSelection. The
    // items' own flags follow it.
    std::vector<int32> fSelection;
    uint64 fGeneration = 0;
    std::shared_ptr<seam::ListFeed> fFeed;
};
