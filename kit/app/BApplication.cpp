#include <kit/app/BApplication.h>

#include <kit/app/AppDefs.h>
#include <kit/app/AppInfo.h>
#include <kit/app/private/AppDisplay.h>
#include <kit/app/private/CommandLine.h>
#include <kit/app/private/InstanceChannel.h>
#include <kit/app/private/LooperAccess.h>
#include <kit/app/private/QuitSignals.h>
#include <kit/app/private/WindowList.h>
#include <kit/storage/private/DesktopSide.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

namespace {

// Sent to the application by a second start of the program that had no
// files to hand over: the windows come to the front.
constexpr uint32 kActivateApp = four_cc("_ACT");

// The program's own command line, without the program's name.
std::vector<std::string> OwnArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        arguments.emplace_back(all, start, end - start);
        start = end + 1;
    }
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    return arguments;
}

// One B_REFS_RECEIVED for the files, in their order, leaving out those that
// cannot be referred to.
BMessage RefsMessage(const std::vector<std::string>& paths) {
    BMessage refs(B_REFS_RECEIVED);
    for (const std::string& path : paths) {
        entry_ref ref;
        if (get_ref_for_path(path.c_str(), &ref) == B_OK)
            refs.AddRef("refs", &ref);
    }
    return refs;
}

} // namespace

BApplication::BApplication(const char* signature)
    : BLooper(signature), fSignature(signature ? signature : "") {
    be_app = this;
    be_app_messenger = BMessenger(this);
    kit_private::set_current_app_signature(fSignature);
}

BApplication::~BApplication() {
    if (be_app == this) {
        be_app = nullptr;
        be_app_messenger = BMessenger();
        kit_private::set_current_app_signature("");
    }
}

void BApplication::SetProgramName(const char* name) {
    kit_private::set_current_app_name(name != nullptr ? name : "");
    kit_private::need_app_display().SetProgramName(name != nullptr ? name : "");
}

void BApplication::SetLaunchArguments(std::vector<std::string> arguments) {
    fArguments = std::move(arguments);
    fHasArguments = true;
}

void BApplication::Run() {
    if (!fHasArguments)
        fArguments = OwnArguments();
    kit_private::CommandLine line = kit_private::split_command_line(fArguments);
    std::vector<std::string> paths = LaunchPaths(line.files);

    // A second start of the program hands its files to the one that runs
    // and ends, without ever opening the display. Files that the running
    // one could not take are opened here.
    InstanceChannel channel(fSignature);
    if (channel.InitCheck() == B_OK) {
        std::vector<std::string> notTaken;
        if (channel.TryHandOver(paths, &notTaken))
            return;
        paths = std::move(notTaken);
        BMessenger application(this);
        channel.Listen([application](std::vector<std::string> handed) {
            if (handed.empty()) {
                application.SendMessage(kActivateApp);
                return;
            }
            BMessage refs = RefsMessage(handed);
            if (!refs.IsEmpty())
                application.SendMessage(&refs);
        });
    }

    // From here on the signals that ask a program to end ask the
    // application to quit, as "Beenden" does.
    kit_private::QuitSignals quitSignals(BMessenger(this));

    // The application's thread starts on its first messages while this
    // thread is still setting up the display; what it asks of the display
    // waits until the display runs.
    kit_private::AppDisplay& display = kit_private::need_app_display();
    fRunsDisplay = !display.IsInitialized() || display.IsDisplayThread();
    display.Announce();
    DeliverLaunchFiles(paths);
    PostMessage(B_READY_TO_RUN);
    BLooper::Run();
    if (fRunsDisplay) {
        display.SetOptions(std::move(line.displayOptions));
        display.Initialize();
        display.Exec();
    }
    kit_private::LooperAccess::Port(*this)->Join();
    channel.Close();
    // Windows that quit on their own have ended their threads; join them.
    kit_private::LooperPort::JoinAll();
    if (fRunsDisplay)
        display.Shutdown();
}

std::vector<std::string> BApplication::LaunchPaths(const std::vector<std::string>& files) {
    // Absolute paths, so that they mean the same to a running instance in
    // another folder. A name whose folder does not exist cannot be referred
    // to; it is left out rather than handed on as something it is not.
    std::vector<std::string> paths;
    for (const std::string& argument : files) {
        entry_ref ref;
        if (get_ref_for_path(argument.c_str(), &ref) == B_OK)
            paths.push_back(ref.path);
    }
    return paths;
}

void BApplication::DeliverLaunchFiles(const std::vector<std::string>& paths) {
    BMessage refs = RefsMessage(paths);
    if (!refs.IsEmpty())
        PostMessage(&refs);
}

void BApplication::Quit() {
    BLooper::Quit();
}

void BApplication::LoopEnded() {
    // The one place where the program winds down, however the application's
    // loop ended (its own Quit, B_QUIT_REQUESTED, a signal): the windows
    // still open are ended without being asked again, even one that waits in
    // an alert, and then the display. The application object lives on main's
    // stack: it is not deleted here.
    kit_private::QuitAllWindows();
    if (fRunsDisplay)
        kit_private::need_app_display().Exit();
}

bool BApplication::QuitRequested() {
    for (const BMessenger& messenger : kit_private::Windows()) {
        if (!messenger.LockTarget())
            continue; // it has quit already
        // Only windows are in the list: asked and ended as loopers, they
        // run their own QuitRequested and Quit.
        BLooper* window = nullptr;
        messenger.Target(&window);
        if (!window->QuitRequested()) {
            window->Unlock();
            return false;
        }
        window->Quit();
    }
    return true;
}

void BApplication::ReadyToRun() {}

void BApplication::RefsReceived(BMessage*) {}

void BApplication::AboutRequested() {}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler) {
    if (handler != this) {
        BLooper::DispatchMessage(message, handler);
        return;
    }
    switch (message->what) {
    case B_READY_TO_RUN:
        // A desktop entry that an earlier start from elsewhere wrote for
        // this program must not hide the one installed with it; this goes
        // before ReadyToRun, which may record the program's file types.
        kit_private::DesktopSide::RetireHiddenEntry(fSignature);
        ReadyToRun();
        fLaunching = false;
        break;
    case B_REFS_RECEIVED:
        RefsReceived(message);
        break;
    case B_ABOUT_REQUESTED:
        AboutRequested();
        break;
    case kActivateApp:
        kit_private::BringWindowsToFront();
        break;
    default:
        BLooper::DispatchMessage(message, handler);
    }
}

status_t BApplication::GetAppInfo(app_info* info) const {
    if (info == nullptr)
        return B_BAD_VALUE;
    status_t status = kit_private::current_executable_ref(&info->ref);
    if (status != B_OK)
        return status;
    info->signature = fSignature;
    info->team = static_cast<team_id>(::getpid());
    return B_OK;
}

int32 BApplication::CountWindows() const {
    return static_cast<int32>(kit_private::Windows().size());
}
