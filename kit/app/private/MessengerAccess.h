#pragma once

// Kit-private: the way from a messenger to its looper's port and handler, for
// the kit's own code that posts in ways a plain SendMessage does not offer.
// Thread: any; what the port allows each thread is said in LooperPort.h.

#include <kit/app/BMessenger.h>
#include <kit/app/private/LooperPort.h>

#include <memory>

namespace kit_private {

class MessengerAccess {
public:
    // The target's port, or null once its looper has gone.
    static std::shared_ptr<LooperPort> Port(const BMessenger& messenger) {
        return messenger.fPort.lock();
    }
    // The handler the messenger aims at; 0 for the looper's preferred one.
    static uint64 HandlerToken(const BMessenger& messenger) { return messenger.fHandlerToken; }
};

} // namespace kit_private
