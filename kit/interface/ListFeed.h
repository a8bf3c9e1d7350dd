#pragma once

// The changes of one list view on their way to the display. The list view
// records each change as an operation; consecutive changes of the same kind
// merge (a run of appends becomes one insertion of many rows), and one
// display task takes everything recorded since the last one. A list filled
// with 100,000 rows therefore costs the display a handful of tasks, not one
// per row.
//
// Every operation that moves rows or changes the selection carries a new
// generation number. The display stamps the selections the user makes with
// the generation it shows, so that the list view can refuse a selection
// made on rows that have moved since.
//
// This header carries no Qt types.

#include <kit/app/SupportDefs.h>

#include <mutex>
#include <string>
#include <vector>

namespace seam {

// Rows from first to last, both included.
struct RowRange {
    int32 first = 0;
    int32 last = 0;
};

struct ListOp {
    enum class Type {
        Insert,       // texts go in before row index
        Remove,       // count rows from index go
        RemoveRanges, // the rows of ranges (ascending, apart) go
        Move,         // the row at index goes to row count
        Reset,        // the rows become texts
        Select,       // the selected rows become ranges
        ScrollTo,     // row index is brought into sight
    };
    Type type = Type::Insert;
    int32 index = 0;
    int32 count = 0;
    std::vector<std::string> texts;
    std::vector<RowRange> ranges;
};

class ListFeed {
public:
    // Records an operation and the generation it leads to. Answers true when
    // no display task is waiting for the feed, so the caller must queue one.
    // Thread: the list view's window lock holder.
    bool Push(ListOp op, uint64 generation);
    // Takes everything recorded so far. Thread: the display's.
    std::vector<ListOp> Take(uint64* generation);

private:
    std::mutex fMutex;
    std::vector<ListOp> fOps;
    uint64 fGeneration = 0;
    bool fQueued = false;
};

} // namespace seam
