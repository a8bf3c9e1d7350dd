#include <kit/app/private/QuitSignals.h>

#include <kit/app/AppDefs.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kit_private {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Shared with the handler, which may run on any thread at any moment: only
// lock-free atomics and a pipe that is made once and never closed, so that a
// handler still running while the handlers are removed never writes to a
// descriptor that has been closed and perhaps reused.
int sPipe[2] = {-1, -1};
std::once_flag sPipeMade;
std::atomic<int> sWriteFd{-1};
std::atomic<int> sSeen{0};
struct sigaction sEarlier[std::size(kSignals)];

void OnQuitSignal(int signal) {
    const int savedErrno = errno;
    if (sSeen.fetch_add(1) > 0) {
        // The second request: end now, by the signal itself, so that the
        // parent sees what ended the program. The signal is blocked while
        // this handler runs and is delivered as soon as it returns.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    } else {
        const char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(sWriteFd.load(), &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

QuitSignals::QuitSignals(BMessenger application) : fApplication(std::move(application)) {
    std::call_once(sPipeMade, [] {
        if (::pipe2(sPipe, O_CLOEXEC | O_NONBLOCK) == 0)
            sWriteFd.store(sPipe[1]);
    });
    fStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (sWriteFd.load() < 0 || fStopFd < 0)
        return; // the signals keep their default effect
    // Requests left over from an earlier application object are not ours.
    char stale[64];
    while (::read(sPipe[0], stale, sizeof stale) > 0) {
    }
    sSeen.store(0);
    fThread = std::thread([this] { Relay(); });

    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &sEarlier[i]);
}

QuitSignals::~QuitSignals() {
    if (fThread.joinable()) {
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &sEarlier[i], nullptr);
        uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(fStopFd, &one, sizeof one);
        fThread.join();
    }
    if (fStopFd >= 0)
        ::close(fStopFd);
}

void QuitSignals::Relay() {
    for (;;) {
        pollfd wait[2] = {{sPipe[0], POLLIN, 0}, {fStopFd, POLLIN, 0}};
        if (::poll(wait, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (wait[1].revents != 0)
            return; // the program winds down
        char bytes[16];
        if (::read(sPipe[0], bytes, sizeof bytes) > 0)
            fApplication.SendMessage(B_QUIT_REQUESTED);
    }
}

} // namespace kit_private
