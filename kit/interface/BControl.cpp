#include <kit/interface/BControl.h>
#include <kit/interface/private/ViewAccess.h>

#include <kit/interface/BWindow.h>
#include <kit/interface/private/InterfacePrivate.h>

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
                   uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), fLabel(label ? label : ""), fMessage(message) {}

BControl::~BControl() = default;

void BControl::SetLabel(const char* label) {
    fLabel = label ? label : "";
    kit_private::ViewAccess::QueueLook(this);
}

void BControl::SetValue(int32 value) {
    if (value == fValue)
        return;
    fValue = value;
    kit_private::ViewAccess::QueueLook(this);
}

void BControl::SetEnabled(bool enabled) {
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    kit_private::ViewAccess::Queue(this, seam::ViewEnabled{Token(), fEnabled});
}

void BControl::SetMessage(BMessage* message) {
    fMessage.reset(message);
}

status_t BControl::SetTarget(const BHandler* handler) {
    if (handler == nullptr) {
        fTarget = BMessenger();
        fHasTarget = false;
        return B_OK;
    }
    return SetTarget(BMessenger(handler));
}

status_t BControl::SetTarget(const BMessenger& messenger) {
    fTarget = messenger;
    fHasTarget = true;
    return messenger.IsValid() ? B_OK : B_BAD_HANDLER;
}

status_t BControl::Invoke(const BMessage* message) {
    const BMessage* toSend = message ? message : fMessage.get();
    if (toSend == nullptr)
        return B_BAD_VALUE;
    if (fHasTarget)
        return fTarget.SendMessage(toSend);
    if (BWindow* window = Window())
        return window->PostMessage(toSend);
    return B_BAD_HANDLER;
}

void BControl::HandleDisplayEvent(BMessage* message) {
    if (message->what != kit_private::kControlInvoked || !fEnabled)
        return;
    int32 value = 0;
    if (message->FindInt32("value", &value) == B_OK)
        fValue = value;
    Invoke();
}
