#include <kit/interface/BView.h>
#include <kit/interface/DisplaySeam.h>

#include <kit/interface/BWindow.h>

#include <algorithm>
#include <cstring>

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags) {}

BView::~BView() {
    if (fParent != nullptr)
        fParent->RemoveChild(this);
    // Children go with their parent; their widgets go with the parent's widget.
    for (BView* child : fChildren) {
        child->fParent = nullptr;
        child->fWindow = nullptr;
        delete child;
    }
    fChildren.clear();
}

void BView::AddChild(BView* child, BView* before) {
    if (child == nullptr || child == this || child->fParent != nullptr)
        return;
    auto position = fChildren.end();
    for (auto it = fChildren.begin(); it != fChildren.end(); ++it)
        if (*it == before)
            position = it;
    fChildren.insert(position, child);
    child->fParent = this;
    if (fWindow != nullptr) {
        child->AttachTo(fWindow);
        child->QueueCreation();
        child->NotifyAttached();
    }
}

bool BView::RemoveChild(BView* child) {
    auto it = std::find(fChildren.begin(), fChildren.end(), child);
    if (it == fChildren.end())
        return false;
    fChildren.erase(it);
    if (fWindow != nullptr) {
        child->QueueUpdate(seam::DestroyView{child->Token()});
        child->DetachFromWindow();
    }
    child->fParent = nullptr;
    return true;
}

bool BView::RemoveSelf() {
    return fParent != nullptr && fParent->RemoveChild(this);
}

BView* BView::ChildAt(int32 index) const {
    if (index < 0 || static_cast<size_t>(index) >= fChildren.size())
        return nullptr;
    return fChildren[static_cast<size_t>(index)];
}

BView* BView::FindView(const char* name) const {
    if (name == nullptr)
        return nullptr;
    for (BView* child : fChildren) {
        if (std::strcmp(child->Name(), name) == 0)
            return child;
        if (BView* found = child->FindView(name))
            return found;
    }
    return nullptr;
}

void BView::AttachTo(BWindow* window) {
    fWindow = window;
    window->AddHandler(this);
    for (BView* child : fChildren)
        child->AttachTo(window);
}

void BView::NotifyAttached() {
    AttachedToWindow();
    for (BView* child : fChildren)
        child->NotifyAttached();
}

void BView::DetachFromWindow() {
    for (BView* child : fChildren)
        child->DetachFromWindow();
    DetachedFromWindow();
    if (fWindow != nullptr)
        fWindow->RemoveHandler(this);
    fWindow = nullptr;
}

void BView::QueueCreation() const {
    QueueUpdate(seam::CreateView{WidgetShape()});
    for (BView* child : fChildren)
        child->QueueCreation();
}

uint64 BView::WidgetParent() const {
    if (fParent != nullptr)
        return fParent->Token();
    return fWindow != nullptr ? fWindow->Token() : 0;
}

seam::ViewShape BView::WidgetShape() const {
    seam::ViewShape shape;
    shape.id = Token();
    shape.parent = WidgetParent();
    shape.name = Name();
    shape.frame = fFrame;
    shape.hasColor = fHasViewColor;
    shape.color = fViewColor;
    shape.enabled = WidgetEnabled();
    shape.view = BMessenger(this);
    shape.look = WidgetLook();
    return shape;
}

seam::Look BView::WidgetLook() const {
    return seam::PlainShape{};
}

void BView::QueueLook() const {
    if (fWindow != nullptr)
        fWindow->QueueUpdate(seam::ViewLook{Token(), WidgetLook()});
}

void BView::HandleDisplayEvent(BMessage*) {}

void BView::QueueUpdate(seam::Change change) const {
    if (fWindow != nullptr)
        fWindow->QueueUpdate(std::move(change));
}

void BView::MakeFocus(bool focus) {
    QueueUpdate(seam::ViewFocus{Token(), focus});
}

void BView::MoveTo(float x, float y) {
    if (x == fFrame.left && y == fFrame.top)
        return;
    fFrame.OffsetTo(x, y);
    QueueUpdate(seam::ViewFrame{Token(), fFrame});
    if (fParent != nullptr)
        fParent->ChildFrameChanged(this);
}

void BView::ResizeTo(float width, float height) {
    float dx = width - fFrame.Width();
    float dy = height - fFrame.Height();
    if (dx == 0 && dy == 0)
        return;
    fFrame.right = fFrame.left + width;
    fFrame.bottom = fFrame.top + height;
    QueueUpdate(seam::ViewFrame{Token(), fFrame});
    for (BView* child : fChildren)
        child->FollowParent(dx, dy);
    if (fParent != nullptr)
        fParent->ChildFrameChanged(this);
    if (fFlags & B_FRAME_EVENTS)
        FrameResized(width, height);
}

void BView::FrameResized(float, float) {}

void BView::FollowParent(float dx, float dy) {
    float moveX = 0, moveY = 0, growX = 0, growY = 0;
    switch (fResizingMode & 0x0F) {
    case B_FOLLOW_RIGHT:
        moveX = dx;
        break;
    case B_FOLLOW_LEFT_RIGHT:
        growX = dx;
        break;
    case B_FOLLOW_H_CENTER:
        moveX = dx / 2;
        break;
    default:
        break;
    }
    switch (fResizingMode & 0xF0) {
    case B_FOLLOW_BOTTOM:
        moveY = dy;
        break;
    case B_FOLLOW_TOP_BOTTOM:
        growY = dy;
        break;
    case B_FOLLOW_V_CENTER:
        moveY = dy / 2;
        break;
    default:
        break;
    }
    if (moveX != 0 || moveY != 0)
        MoveBy(moveX, moveY);
    if (growX != 0 || growY != 0)
        ResizeBy(growX, growY);
}

void BView::GetPreferredSize(float* width, float* height) {
    if (width != nullptr)
        *width = fFrame.Width();
    if (height != nullptr)
        *height = fFrame.Height();
}

float BView::StringWidth(const char* string) const {
    return seam::Need().LabelWidth(string != nullptr ? string : "");
}

void BView::ResizeToPreferred() {
    float width = 0, height = 0;
    GetPreferredSize(&width, &height);
    ResizeTo(width, height);
}

void BView::SetViewColor(rgb_color color) {
    fViewColor = color;
    fHasViewColor = true;
    QueueUpdate(seam::ViewColor{Token(), color});
}
