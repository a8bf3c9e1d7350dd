#include <kit/display/Display.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <atomic>
#include <cerrno>
#include <deque>
#include <future>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace display {

namespace {

// The tasks are kept in a queue of our own, guarded by a plain mutex, and the
// display thread is woken through an eventfd: the handover between threads
// then rests on primitives that the thread checkers understand, not on Qt's
// internal event queue.
std::mutex sMutex;
std::deque<Task> sTasks;
bool sStopped = false;
bool sWakePending = false;
// A display is on its way: tasks wait for it instead of being refused.
bool sAnnounced = false;
int sWakeFd = -1;
std::atomic<std::thread::id> sDisplayThread{};

void Wake() {
    uint64_t one = 1;
    // The counter cannot overflow in practice; a failed write only delays
    // the tasks until the next wake.
    [[maybe_unused]] ssize_t written = ::write(sWakeFd, &one, sizeof one);
}

} // namespace

void Initialize() {
    if (IsInitialized())
        return;
    sDisplayThread.store(std::this_thread::get_id());
    if (QApplication::instance() == nullptr) {
        // The program takes no command-line options: Qt sees only the
        // program's name, so a file called "-style" is never taken for an
        // option.
        static int argc = 1;
        static char* argv[] = {program_invocation_short_name, nullptr};
        new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    auto* notifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [wakeFd] {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t got = ::read(wakeFd, &count, sizeof count);
        DrainPosted();
    });
    // Tasks handed in while the display was being set up run as soon as the
    // display loop starts.
    std::lock_guard guard(sMutex);
    sWakeFd = wakeFd;
    if (!sTasks.empty()) {
        sWakePending = true;
        Wake();
    }
}

void Announce() {
    std::lock_guard guard(sMutex);
    sAnnounced = true;
}

bool IsAvailable() {
    std::lock_guard guard(sMutex);
    return !sStopped && (sWakeFd >= 0 || sAnnounced);
}

bool IsInitialized() {
    return sDisplayThread.load() != std::thread::id{};
}

bool IsDisplayThread() {
    return sDisplayThread.load() == std::this_thread::get_id();
}

void Exec() {
    {
        std::lock_guard guard(sMutex);
        sStopped = false;
    }
    QApplication::exec();
    {
        std::lock_guard guard(sMutex);
        sStopped = true;
    }
    // Whatever was posted before the stop still runs, so nobody waits forever.
    DrainPosted();
}

void Shutdown() {
    if (!IsDisplayThread() || QApplication::instance() == nullptr)
        return;
    DrainPosted();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Only windows without a parent are deleted here: a menu is a window of
    // its own, yet its menu bar deletes it.
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->parentWidget() == nullptr)
            windows.append(window);
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
    delete QApplication::instance();
    std::lock_guard guard(sMutex);
    ::close(sWakeFd);
    sWakeFd = -1;
    sAnnounced = false;
    sDisplayThread.store(std::thread::id{});
}

void Exit() {
    Post([] { QCoreApplication::exit(0); });
}

void Post(Task task) {
    std::lock_guard guard(sMutex);
    if (sStopped || (sWakeFd < 0 && !sAnnounced))
        return;
    sTasks.push_back(std::move(task));
    if (!sWakePending && sWakeFd >= 0) {
        sWakePending = true;
        Wake();
    }
}

bool Invoke(const Task& task) {
    if (IsDisplayThread()) {
        task();
        return true;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard guard(sMutex);
        if (sStopped || (sWakeFd < 0 && !sAnnounced))
            return false;
        sTasks.push_back([&task, &done] {
            task();
            done.set_value();
        });
        if (!sWakePending && sWakeFd >= 0) {
            sWakePending = true;
            Wake();
        }
    }
    finished.wait();
    return true;
}

void DrainPosted() {
    for (;;) {
        std::deque<Task> batch;
        {
            std::lock_guard guard(sMutex);
            batch.swap(sTasks);
            sWakePending = false;
        }
        if (batch.empty())
            return;
        for (auto& task : batch)
            task();
    }
}

} // namespace display
