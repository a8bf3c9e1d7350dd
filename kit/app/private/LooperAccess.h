#pragma once

// Kit-private: the way into a looper's port for the kit's own classes (the
// messenger, the application's shutdown, the window) and for white-box tests.
// Thread: any; what the port allows each thread is said in LooperPort.h.

#include <kit/app/BLooper.h>
#include <kit/app/private/LooperPort.h>

namespace kit_private {

class LooperAccess {
public:
    static const std::shared_ptr<LooperPort>& Port(const BLooper& looper) { return looper.fPort; }
};

} // namespace kit_private
