#pragma once

// Turns the signals that ask a program to end (SIGTERM from a session logging
// out or from kill, SIGINT from a terminal, SIGHUP from a terminal closing)
// into B_QUIT_REQUESTED for the application, so that the program ends as
// "Beenden" ends it: the windows are asked, the options written, nothing left
// half done. A second such signal ends the program at once, for the user
// whose program does not react to the first.
//
// Kit-private: BApplication::Run owns one while the program runs.

#include <kit/app/BMessenger.h>

#include <thread>

namespace kit_private {

class QuitSignals {
public:
    // Installs the handlers and starts the thread that passes the requests
    // on. Thread: any, one object at a time.
    explicit QuitSignals(BMessenger application);
    // Puts the earlier handlers back and ends the thread. A signal after
    // this has its earlier effect. Thread: the one that made the object.
    ~QuitSignals();

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    void Relay();

    BMessenger fApplication;
    int fStopFd = -1;
    std::thread fThread;
};

} // namespace kit_private
