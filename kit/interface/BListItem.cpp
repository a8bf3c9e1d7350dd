#include <kit/interface/BListItem.h>

BListItem::BListItem(uint32 outlineLevel, bool expanded)
    : fOutlineLevel(outlineLevel), fExpanded(expanded) {}

BListItem::~BListItem() = default;
