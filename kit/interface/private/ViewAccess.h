#pragma once

// Kit-private: the way into a view's mirror for the kit's own view classes.
// A view's description for the display, its handling of the display's input
// and its queue of display tasks are private to every view class; the kit's
// classes reach them, and the base classes' versions, through here, so that
// application views (which derive from BView too) cannot.
//
// Thread: the window's lock holder, or any while the view is in no window.

#include <kit/interface/BView.h>
#include <kit/interface/DisplaySeam.h>

#include <functional>

namespace kit_private {

class ViewAccess {
public:
    // The view's own description, with the look of its most derived class.
    static seam::ViewShape Shape(const BView* view) { return view->WidgetShape(); }
    // The view's whole look, queued anew after a change of it.
    static void QueueLook(const BView* view) { view->QueueLook(); }
    static void Handle(BView* view, BMessage* message) { view->HandleDisplayEvent(message); }
    template <class Base>
    static void HandleOf(Base* view, BMessage* message) {
        view->Base::HandleDisplayEvent(message);
    }
    static void Queue(const BView* view, seam::Change change) {
        view->QueueUpdate(std::move(change));
    }
    static uint64 WidgetParent(const BView* view) { return view->WidgetParent(); }
};

} // namespace kit_private
