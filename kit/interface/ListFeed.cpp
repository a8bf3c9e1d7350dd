#include <kit/interface/ListFeed.h>

namespace seam {

namespace {

// Merges op into last where both together say the same as the two apart.
bool Merge(ListOp& last, ListOp& op) {
    using Type = ListOp::Type;
    if (last.type == Type::Insert && op.type == Type::Insert &&
        op.index == last.index + static_cast<int32>(last.texts.size())) {
        if (last.texts.empty())
            last.texts = std::move(op.texts);
        else
            for (auto& text : op.texts)
                last.texts.push_back(std::move(text));
        return true;
    }
    if (last.type == Type::Remove && op.type == Type::Remove) {
        // Removing from the end towards the start, or again at the same row.
        if (op.index + op.count == last.index || op.index == last.index) {
            last.index = op.index;
            last.count += op.count;
            return true;
        }
    }
    if ((last.type == Type::Select && op.type == Type::Select) ||
        (last.type == Type::ScrollTo && op.type == Type::ScrollTo)) {
        last = std::move(op);
        return true;
    }
    return false;
}

} // namespace

bool ListFeed::Push(ListOp op, uint64 generation) {
    std::lock_guard guard(fMutex);
    fGeneration = generation;
    // Whatever was recorded before goes when the rows are replaced wholesale.
    if (op.type == ListOp::Type::Reset)
        fOps.clear();
    if (fOps.empty() || !Merge(fOps.back(), op))
        fOps.push_back(std::move(op));
    bool queue = !fQueued;
    fQueued = true;
    return queue;
}

std::vector<ListOp> ListFeed::Take(uint64* generation) {
    std::lock_guard guard(fMutex);
    std::vector<ListOp> ops;
    ops.swap(fOps);
    *generation = fGeneration;
    fQueued = false;
    return ops;
}

} // namespace seam
