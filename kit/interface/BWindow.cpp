#include <kit/interface/BWindow.h>
#include <kit/interface/DisplaySeam.h>

#include <kit/app/BAutolock.h>
#include <kit/app/private/LooperAccess.h>
#include <kit/app/private/WindowList.h>
#include <kit/interface/BView.h>
#include <kit/interface/private/InterfacePrivate.h>

namespace {

window_look LookOf(window_type type) {
    switch (type) {
    case B_DOCUMENT_WINDOW:
        return B_DOCUMENT_WINDOW_LOOK;
    case B_MODAL_WINDOW:
        return B_MODAL_WINDOW_LOOK;
    case B_FLOATING_WINDOW:
        return B_FLOATING_WINDOW_LOOK;
    case B_TITLED_WINDOW:
    default:
        return B_TITLED_WINDOW_LOOK;
    }
}

window_feel FeelOf(window_type type) {
    switch (type) {
    case B_MODAL_WINDOW:
        return B_MODAL_APP_WINDOW_FEEL;
    case B_FLOATING_WINDOW:
        return B_FLOATING_APP_WINDOW_FEEL;
    default:
        return B_NORMAL_WINDOW_FEEL;
    }
}

} // namespace

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
    : BLooper(title) {
    Init(frame, title, LookOf(type), FeelOf(type), flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                 uint32 workspace)
    : BLooper(title) {
    Init(frame, title, look, feel, flags, workspace);
}

void BWindow::Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                   uint32 workspace) {
    fTitle = title ? title : "";
    fFrame = frame;
    fLook = look;
    fFeel = feel;
    fFlags = flags;
    fWorkspace = workspace;

    seam::WindowShape shape;
    shape.id = Token();
    shape.title = fTitle;
    shape.frame = fFrame;
    shape.floating = look == B_FLOATING_WINDOW_LOOK;
    shape.appModal = feel == B_MODAL_APP_WINDOW_FEEL;
    shape.resizable = (flags & B_NOT_RESIZABLE) != B_NOT_RESIZABLE;
    shape.closable = !(flags & B_NOT_CLOSABLE);
    shape.zoomable = !(flags & B_NOT_ZOOMABLE);
    shape.minimizable = !(flags & B_NOT_MINIMIZABLE);
    shape.window = BMessenger(this);

    fTopView = new BView(Bounds(), "TopView", B_FOLLOW_ALL_SIDES, 0);
    shape.topView = fTopView->Token();
    QueueUpdate(seam::CreateWindow{shape});
    fTopView->AttachTo(this);
    fTopView->QueueCreation();

    kit_private::AddWindow(BMessenger(this));
}

BWindow::~BWindow() {
    fDestroying = true;
    delete fTopView;
    fTopView = nullptr;
}

void BWindow::Run() {
    FlushUpdates();
    BLooper::Run();
}

void BWindow::Quit() {
    BLooper::Quit();
}

void BWindow::LoopEnded() {
    kit_private::RemoveWindow(BMessenger(this));
    bool mirrored = false;
    {
        std::lock_guard guard(fUpdatesMutex);
        mirrored = fMirrored;
        if (!mirrored)
            fUpdates.clear(); // nothing of it ever reached the display
    }
    if (mirrored) {
        QueueUpdate(seam::DestroyWindow{Token()});
        FlushUpdates();
    }
    delete this;
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler) {
    switch (message->what) {
    case kit_private::kControlInvoked:
    case kit_private::kMenuItemChosen:
    case kit_private::kTextEdited:
    case kit_private::kTabChosen:
    case kit_private::kSelectionMade:
        if (auto* view = dynamic_cast<BView*>(handler))
            view->HandleDisplayEvent(message);
        return;
    case kit_private::kWindowMoved:
        if (handler == this) {
            int32 left = 0, top = 0;
            if (message->FindInt32("left", &left) == B_OK &&
                message->FindInt32("top", &top) == B_OK)
                fFrame.OffsetTo(static_cast<float>(left), static_cast<float>(top));
        }
        return;
    default:
        BLooper::DispatchMessage(message, handler);
    }
}

void BWindow::Show() {
    bool start = false;
    {
        BAutolock lock(this);
        if (!lock.IsLocked())
            return;
        start = !kit_private::LooperAccess::Port(*this)->HasStarted();
        if (fHidden) {
            fHidden = false;
            {
                std::lock_guard guard(fUpdatesMutex);
                fMirrored = true;
            }
            QueueUpdate(seam::WindowShown{Token(), true});
        }
    }
    if (start)
        Run();
}

void BWindow::Hide() {
    BAutolock lock(this);
    if (!lock.IsLocked() || fHidden)
        return;
    fHidden = true;
    QueueUpdate(seam::WindowShown{Token(), false});
}

void BWindow::Activate(bool active) {
    if (!active)
        return;
    BAutolock lock(this);
    if (lock.IsLocked())
        QueueUpdate(seam::ActivateWindow{Token()});
}

void BWindow::MoveTo(float x, float y) {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    fFrame.OffsetTo(x, y);
    QueueUpdate(seam::WindowFrame{Token(), fFrame});
}

void BWindow::ResizeTo(float width, float height) {
    BAutolock lock(this);
    if (!lock.IsLocked())
        return;
    fFrame.right = fFrame.left + width;
    fFrame.bottom = fFrame.top + height;
    QueueUpdate(seam::WindowFrame{Token(), fFrame});
    fTopView->ResizeTo(width, height);
}

void BWindow::SetTitle(const char* title) {
    fTitle = title ? title : "";
    SetName(fTitle.c_str());
    QueueUpdate(seam::WindowTitle{Token(), fTitle});
}

void BWindow::AddChild(BView* child, BView* before) {
    fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child) {
    return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const {
    return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const {
    return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const {
    return fTopView->FindView(name);
}

void BWindow::QueueUpdate(seam::Change change) {
    // Every change of a window or of one of its views comes through here.
    AssertLocked();
    if (fDestroying)
        return;
    std::lock_guard guard(fUpdatesMutex);
    // A view's look follows its last change: a look queued right after one
    // of the same view takes its place, since each carries the whole look.
    if (const auto* look = std::get_if<seam::ViewLook>(&change); look && !fUpdates.empty())
        if (auto* last = std::get_if<seam::ViewLook>(&fUpdates.back());
            last && last->id == look->id) {
            *last = std::move(*std::get_if<seam::ViewLook>(&change));
            return;
        }
    fUpdates.push_back(std::move(change));
}

void BWindow::FlushUpdates() {
    std::vector<seam::Change> batch;
    {
        std::lock_guard guard(fUpdatesMutex);
        // A window that has never been shown has no widgets yet: its changes
        // wait for its first showing, so hidden windows cost the display
        // nothing while the program starts.
        if (!fMirrored)
            return;
        batch.swap(fUpdates);
    }
    if (batch.empty())
        return;
    seam::Need().Apply(std::move(batch));
}

void BWindow::WillUnlock() {
    FlushUpdates();
}
