#include <kit/display/Display.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTranslator>
#include <QWidget>

#include <atomic>
#include <cerrno>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

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
// Qt's own command-line options, for the Qt application object.
std::vector<std::string> sOptions;

// The program speaks German whatever the user's locale, and so must Qt's own
// texts in it: the file dialogs' labels and buttons, the context menu of
// every text field, the tab bar's scroll buttons. Qt's German catalogue is
// installed before the first widget exists, so that no widget is made with
// an English text that would stay.
void InstallGermanTexts() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

// The style in use, which draws where the keyboard focus is at all times.
// Qt's styles draw the focus only once the keyboard has moved it in the
// window, so a window that starts with the focus in one of its widgets, or
// one clicked into later, would not show where a key press goes: a press of
// the space bar would then reach an unseen button.
class FocusShown : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        Shown shown(option);
        QProxyStyle::drawPrimitive(element, shown.Option(), painter, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        Shown shown(option);
        QProxyStyle::drawControl(element, shown.Option(), painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        Shown shown(option);
        QProxyStyle::drawComplexControl(
            control, static_cast<const QStyleOptionComplex*>(shown.Option()), painter, widget);
    }

private:
    // While one element is drawn, an option that has the focus also counts
    // as moved there by the keyboard. The option is the drawing widget's own
    // (a local of its paint event), so it is marked for the call and given
    // back as it came; a copy would lose the fields of its own kind.
    class Shown {
    public:
        explicit Shown(const QStyleOption* option) : fOriginal(option) {
            if (option != nullptr && (option->state & State_HasFocus) &&
                !(option->state & State_KeyboardFocusChange)) {
                const_cast<QStyleOption*>(option)->state |= State_KeyboardFocusChange;
                fChanged = true;
            }
        }
        ~Shown() {
            if (fChanged)
                const_cast<QStyleOption*>(fOriginal)->state &= ~State_KeyboardFocusChange;
        }
        const QStyleOption* Option() const { return fOriginal; }

    private:
        const QStyleOption* fOriginal;
        bool fChanged = false;
    };
};

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
        // Qt sees the program's name and the options that the kit found to
        // be Qt's own, nothing else: a file the user handed over is never
        // taken for an option. Qt keeps argc and argv for as long as it
        // runs, and may take out what it used.
        static std::vector<std::string> words;
        static std::vector<char*> argv;
        static int argc = 0;
        words.assign(1, program_invocation_short_name);
        words.insert(words.end(), sOptions.begin(), sOptions.end());
        argv.clear();
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        argc = static_cast<int>(words.size());
        new QApplication(argc, argv.data());
        QApplication::setQuitOnLastWindowClosed(false);
    }
    InstallGermanTexts();
    if (dynamic_cast<FocusShown*>(QApplication::style()) == nullptr)
        QApplication::setStyle(
            new FocusShown(QStyleFactory::create(QApplication::style()->name())));
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

void SetOptions(std::vector<std::string> options) {
    sOptions = std::move(options);
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
