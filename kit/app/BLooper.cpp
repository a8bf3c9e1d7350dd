#include <kit/app/BLooper.h>

#include <kit/app/private/AppDisplay.h>
#include <kit/app/private/LooperPort.h>

#include <kit/app/AppDefs.h>
#include <kit/app/Verify.h>

using kit_private::Envelope;
using kit_private::kQuitNow;
using kit_private::LooperPort;

BLooper::BLooper(const char* name) : BHandler(name), fPort(std::make_shared<LooperPort>(this)) {
    fLooper = this;
}

BLooper::~BLooper() {
    for (auto& [token, handler] : fHandlers)
        handler->fLooper = nullptr;
    fHandlers.clear();
    fLooper = nullptr;

    // A looper deleted without going through its loop's end (one that never
    // ran) is marked dead here, so that messengers stop reaching it.
    auto port = fPort;
    port->Close();
    if (port->LockForTearDown()) {
        port->MarkDead();
        while (port->IsLockedByCaller())
            port->Unlock();
    }
}

void BLooper::Run() {
    fPort->Start([this] { Loop(); });
}

void BLooper::AssertLocked() const {
    KIT_VERIFY(fPort->IsLockedByCaller() || !fPort->HasStarted(),
               "a looper's state touched without its lock");
}

bool BLooper::IsRunning() const {
    return fPort->HasStarted() && !fPort->IsClosed();
}

bool BLooper::IsLooperThread() const {
    return fPort->IsLooperThread();
}

void BLooper::Loop() {
    Envelope envelope;
    while (fPort->Pop(&envelope)) {
        if (!Lock())
            break;
        BMessage* message = envelope.message.get();
        if (message->what == kQuitNow && envelope.handlerToken == 0) {
            MarkQuitting();
        } else if (BHandler* handler =
                       envelope.handlerToken == 0 ? this : HandlerForToken(envelope.handlerToken)) {
            // A message for a handler that has gone away finds nothing and
            // is dropped.
            fCurrentMessage = message;
            DispatchMessage(message, handler);
            fCurrentMessage = nullptr;
        }
        envelope = Envelope{};
        if (fQuitting) {
            // Straight on to the teardown with the lock still held: released
            // in between, another thread could lock a looper that has agreed
            // to quit and ask it again.
            TearDown();
            return;
        }
        Unlock();
    }
    TearDown();
}

void BLooper::MarkQuitting() {
    fQuitting = true;
    fPort->MarkQuitting();
}

void BLooper::TearDown() {
    // The port outlives the looper: LoopEnded may delete it.
    auto port = fPort;
    if (!port->LockForTearDown())
        return; // already torn down
    port->Close();
    port->MarkDead();
    LoopEnded();
    while (port->IsLockedByCaller())
        port->Unlock();
}

void BLooper::LoopEnded() {
    delete this;
}

void BLooper::Quit() {
    auto port = fPort;
    if (port->IsLooperThread()) {
        MarkQuitting();
        return;
    }
    if (!port->HasStarted()) {
        TearDown();
        return;
    }
    // From here on no other thread locks the looper; it finishes what is
    // queued before the quit on its own thread.
    port->MarkQuitting();
    PostMessage(kQuitNow);
    // Let go of every hold this thread has, or the loop could never finish.
    // Once the last hold is released the looper may be gone: touch nothing
    // of it after this.
    for (int32 holds = port->CountLocksByCaller(); holds > 0; --holds)
        Unlock();
    port->Join();
}

bool BLooper::QuitRequested() {
    return true;
}

status_t BLooper::PostMessage(uint32 what, BHandler* handler) {
    BMessage message(what);
    return PostMessage(&message, handler);
}

status_t BLooper::PostMessage(const BMessage* message, BHandler* handler) {
    if (message == nullptr)
        return B_BAD_VALUE;
    Envelope envelope;
    envelope.message = std::make_unique<BMessage>(*message);
    envelope.handlerToken = (handler == nullptr || handler == this) ? 0 : handler->Token();
    return fPort->Push(std::move(envelope));
}

bool BLooper::Lock() {
    // The display waits for no looper; a looper may wait for the display.
    // The other way round is a deadlock waiting to happen.
    kit_private::AppDisplay* display = kit_private::installed_app_display();
    KIT_VERIFY(display == nullptr || !display->IsDisplayThread(),
               "the display thread locking a looper");
    return fPort->Lock();
}

void BLooper::Unlock() {
    if (fPort->CountLocksByCaller() == 1)
        WillUnlock();
    fPort->Unlock();
}

bool BLooper::IsLocked() const {
    return fPort->IsLockedByCaller();
}

int32 BLooper::CountLocks() const {
    return fPort->CountLocksByCaller();
}

void BLooper::AddHandler(BHandler* handler) {
    AssertLocked();
    if (handler == nullptr || handler == this)
        return;
    fHandlers[handler->Token()] = handler;
    handler->fLooper = this;
}

bool BLooper::RemoveHandler(BHandler* handler) {
    AssertLocked();
    if (handler == nullptr || fHandlers.erase(handler->Token()) == 0)
        return false;
    handler->fLooper = nullptr;
    return true;
}

BHandler* BLooper::HandlerForToken(uint64 token) const {
    auto it = fHandlers.find(token);
    return it == fHandlers.end() ? nullptr : it->second;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler) {
    if (message->what == B_QUIT_REQUESTED && handler == this) {
        // A looper that is quitting already is not asked again.
        if (!fPort->IsQuitting() && QuitRequested())
            Quit();
        return;
    }
    handler->MessageReceived(message);
}
