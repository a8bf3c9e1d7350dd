#pragma once

// A window: a looper with a thread of its own and a tree of views. The window
// holds the truth about its views; the display mirrors it. Changes made under
// the window's lock reach the display in one batch when the lock is released.
//
// A window deletes itself when it quits.

#include <kit/app/BLooper.h>
#include <kit/interface/BRect.h>
#include <kit/interface/DisplaySeam.h>
#include <kit/interface/InterfaceDefs.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class BView;

class BWindow : public BLooper {
public:
    // Thread: any; the window's thread starts with Run or the first Show.
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    ~BWindow() override;

    // The methods below are for the lock holder, or for any thread while the
    // window's thread has not started.

    void Run() override;
    void Quit() override;
    void DispatchMessage(BMessage* message, BHandler* handler) override;

    // Showing the first time starts the window's thread.
    void Show();
    void Hide();
    bool IsHidden() const { return fHidden; }
    void Activate(bool active = true);

    // The content area on the screen, in inclusive coordinates.
    BRect Frame() const { return fFrame; }
    BRect Bounds() const { return BRect(0, 0, fFrame.Width(), fFrame.Height()); }
    void MoveTo(float x, float y);
    void MoveTo(BPoint where) { MoveTo(where.x, where.y); }
    void ResizeTo(float width, float height);

    const char* Title() const { return fTitle.c_str(); }
    void SetTitle(const char* title);
    window_look Look() const { return fLook; }
    window_feel Feel() const { return fFeel; }
    uint32 Flags() const { return fFlags; }
    uint32 Workspaces() const { return fWorkspace; }

    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    int32 CountChildren() const;
    BView* ChildAt(int32 index) const;
    BView* FindView(const char* name) const;

protected:
    void WillUnlock() override;
    void LoopEnded() override;

private:
    friend class BView;

    // Thread: the lock holder (or any before the thread starts).
    void QueueUpdate(seam::Change change);
    // Hands the queued changes to the display in one batch, once the window
    // has been shown for the first time.
    void FlushUpdates();
    void Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
              uint32 workspace);

    std::string fTitle;
    BRect fFrame;
    window_look fLook = B_TITLED_WINDOW_LOOK;
    window_feel fFeel = B_NORMAL_WINDOW_FEEL;
    uint32 fFlags = 0;
    uint32 fWorkspace = B_CURRENT_WORKSPACE;
    bool fHidden = true;
    bool fDestroying = false;
    BView* fTopView = nullptr;

    std::mutex fUpdatesMutex;
    std::vector<seam::Change> fUpdates;
    bool fMirrored = false; // shown at least once; guarded by fUpdatesMutex
};
