#pragma once

// One row of a list view. The item itself knows how it is drawn only through
// its kind (a string item shows one line of text); the list view keeps the
// order and which rows are selected.
//
// Thread: an item belongs to the list that holds it and is used under that
// list's window lock, or by any one thread while it is in no list.

#include <kit/app/SupportDefs.h>

class BListView;

class BListItem {
public:
    explicit BListItem(uint32 outlineLevel = 0, bool expanded = true);
    virtual ~BListItem();

    BListItem(const BListItem&) = delete;
    BListItem& operator=(const BListItem&) = delete;

    bool IsSelected() const { return fSelected; }
    uint32 OutlineLevel() const { return fOutlineLevel; }
    bool IsExpanded() const { return fExpanded; }
    void SetExpanded(bool expanded) { fExpanded = expanded; }

    // The text the display shows for the row; items without text show none.
    virtual const char* DisplayText() const { return ""; }

private:
    friend class BListView;

    uint32 fOutlineLevel;
    bool fExpanded;
    bool fSelected = false;
    // The list that holds the item, so that adding needs no search.
    const BListView* fList = nullptr;
};
