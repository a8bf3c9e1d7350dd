#pragma once

// A view that the user acts on: it has a label, a value, an enabled state and
// a message that it sends to its target when it is invoked. A control without
// a target sends to the window that holds it.

#include <kit/app/BMessenger.h>
#include <kit/interface/BView.h>

#include <memory>
#include <string>

class BControl : public BView {
public:
    // Takes ownership of the message (which may be null).
    BControl(BRect frame, const char* name, const char* label, BMessage* message,
             uint32 resizingMode, uint32 flags);
    ~BControl() override;

    // Thread: the window's lock holder, or any while the control is not in a window.
    virtual void SetLabel(const char* label);
    const char* Label() const { return fLabel.c_str(); }
    virtual void SetValue(int32 value);
    int32 Value() const { return fValue; }
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled; }

    // Takes ownership of the message.
    void SetMessage(BMessage* message);
    BMessage* Message() const { return fMessage.get(); }
    uint32 Command() const { return fMessage ? fMessage->what : 0; }
    status_t SetTarget(const BHandler* handler);
    status_t SetTarget(const BMessenger& messenger);
    // The target, invalid when the control sends to its window.
    BMessenger Messenger() const { return fTarget; }
    // Sends a copy of the message (the control's own if none is given) to
    // the target, or to the window when there is no target.
    virtual status_t Invoke(const BMessage* message = nullptr);

private:
    friend class kit_private::ViewAccess;

    bool WidgetEnabled() const override { return fEnabled; }
    void HandleDisplayEvent(BMessage* message) override;

    std::string fLabel;
    int32 fValue = 0;
    bool fEnabled = true;
    std::unique_ptr<BMessage> fMessage;
    BMessenger fTarget;
    bool fHasTarget = false;
};
