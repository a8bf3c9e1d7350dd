#include <kit/app/BMessenger.h>

#include <kit/app/BLooper.h>
#include <kit/app/private/LooperAccess.h>

using kit_private::Envelope;

BMessenger::BMessenger(const BHandler* handler) {
    if (handler == nullptr)
        return;
    if (auto looper = dynamic_cast<const BLooper*>(handler)) {
        fPort = kit_private::LooperAccess::Port(*looper);
        return;
    }
    if (BLooper* looper = handler->Looper()) {
        fPort = kit_private::LooperAccess::Port(*looper);
        fHandlerToken = handler->Token();
    }
}

bool BMessenger::IsValid() const {
    auto port = fPort.lock();
    return port && !port->IsClosed();
}

status_t BMessenger::SendMessage(uint32 what) const {
    BMessage message(what);
    return SendMessage(&message);
}

status_t BMessenger::SendMessage(const BMessage* message) const {
    if (message == nullptr)
        return B_BAD_VALUE;
    auto port = fPort.lock();
    if (!port)
        return B_BAD_PORT_ID;
    return port->Push(Envelope{std::make_unique<BMessage>(*message), fHandlerToken});
}

bool BMessenger::LockTarget() const {
    auto port = fPort.lock();
    return port && port->Lock();
}

BHandler* BMessenger::Target(BLooper** looperOut) const {
    auto port = fPort.lock();
    BLooper* looper = port && port->IsLockedByCaller() ? port->Looper() : nullptr;
    if (looperOut != nullptr)
        *looperOut = looper;
    if (looper == nullptr)
        return nullptr;
    return fHandlerToken == 0 ? looper : looper->HandlerForToken(fHandlerToken);
}

bool BMessenger::operator==(const BMessenger& other) const {
    return !fPort.owner_before(other.fPort) && !other.fPort.owner_before(fPort) &&
           fHandlerToken == other.fHandlerToken;
}
