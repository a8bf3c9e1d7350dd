#pragma once

// A rectangle of a window with a name, a resizing mode, flags, a colour and
// child views. The view keeps its state itself, under its window's lock; the
// display mirrors it. A view outside any window has no widget yet: attaching
// it creates the widgets of its whole subtree.

#include <kit/app/BHandler.h>
#include <kit/interface/BRect.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/GraphicsDefs.h>
#include <kit/interface/InterfaceDefs.h>

#include <functional>
#include <vector>

class BWindow;

namespace kit_private {
class ViewAccess;
}

class BView : public BHandler {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    ~BView() override;

    // Every method below is for the window's lock holder, or for any thread
    // while the view is not in a window.

    // Adds a child at the end (or before another child). The child belongs to
    // this view from then on and is deleted with it.
    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    bool RemoveSelf();
    int32 CountChildren() const { return static_cast<int32>(fChildren.size()); }
    BView* ChildAt(int32 index) const;
    BView* Parent() const { return fParent; }
    BWindow* Window() const { return fWindow; }
    // Searches the children and their children, depth first.
    BView* FindView(const char* name) const;

    BRect Frame() const { return fFrame; }
    BRect Bounds() const { return BRect(0, 0, fFrame.Width(), fFrame.Height()); }
    void MoveTo(float x, float y);
    void MoveTo(BPoint where) { MoveTo(where.x, where.y); }
    void MoveBy(float dx, float dy) { MoveTo(fFrame.left + dx, fFrame.top + dy); }
    // Resizing keeps the left-top corner; children follow their resizing modes.
    void ResizeTo(float width, float height);
    void ResizeBy(float dx, float dy) { ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy); }
    // The size the view's content wants, as width and height (one less than
    // the pixel counts, like every size here). The default is the current size.
    virtual void GetPreferredSize(float* width, float* height);
    void ResizeToPreferred();
    // How wide the string is drawn in the views' font, the desktop's, in
    // pixels. Thread: any; it asks the display.
    float StringWidth(const char* string) const;

    uint32 ResizingMode() const { return fResizingMode; }
    void SetResizingMode(uint32 mode) { fResizingMode = mode; }
    uint32 Flags() const { return fFlags; }
    void SetFlags(uint32 flags) { fFlags = flags; }
    // Moves the keyboard focus of the view's window to the view, or takes it
    // away from the view. Where the user moves the focus afterwards (with
    // Tab or a click) is the display's to keep. A view outside any window
    // has no focus to take.
    void MakeFocus(bool focus = true);

    void SetViewColor(rgb_color color);
    rgb_color ViewColor() const { return fViewColor; }
    bool HasViewColor() const { return fHasViewColor; }

    // Hooks. Thread: the window's, locked.
    virtual void AttachedToWindow() {}
    virtual void DetachedFromWindow() {}
    virtual void FrameResized(float width, float height);

protected:
    // Called when a child's frame changed, for views that lay out children.
    virtual void ChildFrameChanged(BView*) {}

private:
    friend class BWindow;
    friend class kit_private::ViewAccess;

    // The view's mirror on the display, reached by the kit's own classes
    // through kit_private::ViewAccess.
    // Describes the widget that mirrors this view: what every view has, and
    // the look of its kind.
    seam::ViewShape WidgetShape() const;
    virtual seam::Look WidgetLook() const;
    virtual bool WidgetEnabled() const { return true; }
    // Hands the view's whole look to the display again, after a change of it.
    void QueueLook() const;
    // Input from the display (the kit's private codes). Thread: the window's, locked.
    virtual void HandleDisplayEvent(BMessage* message);
    // Queues a display task if the view is in a window.
    void QueueUpdate(seam::Change change) const;
    // The widget's parent: the tab view's page area for pages, else the parent view.
    uint64 WidgetParent() const;

    void AttachTo(BWindow* window);
    void NotifyAttached();
    void DetachFromWindow();
    void QueueCreation() const;
    void FollowParent(float dx, float dy);

    BRect fFrame;
    uint32 fResizingMode;
    uint32 fFlags;
    rgb_color fViewColor;
    bool fHasViewColor = false;
    BView* fParent = nullptr;
    BWindow* fWindow = nullptr;
    std::vector<BView*> fChildren;
};
