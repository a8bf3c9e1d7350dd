#pragma once

// The display as the application layer sees it: what the application object
// and the loopers ask of it, and nothing of windows, views or measurements.
// The application object drives the display's life on the process's main
// thread; a looper asks only whether it runs on the display's thread; the
// end of the windows gives up the alerts still open.
//
// The interface layer's display (seam::Display) is one, and installing it
// there installs it here too, so that this layer never reaches up to the
// interface layer. A program of loopers alone has none installed.
//
// Kit-private.

#include <string>
#include <vector>

namespace kit_private {

class AppDisplay {
public:
    virtual ~AppDisplay() = default;

    // The display's life, driven by the application object. Announce says
    // that the display is about to start, so that changes handed over before
    // then wait for it instead of being dropped; Initialize makes it on the
    // calling thread, which then runs Exec until Exit; Shutdown destroys
    // every widget. Thread: Announce, Exit any; the others the display's.
    virtual void Announce() = 0;
    // Options of the display's own from the command line (a style, a style
    // sheet, a platform), taken before Initialize. A display without such
    // options ignores them. Thread: the display's.
    virtual void SetOptions(std::vector<std::string> options) { (void)options; }
    virtual void Initialize() = 0;
    virtual void Exec() = 0;
    virtual void Exit() = 0;
    virtual void Shutdown() = 0;
    // True once Initialize has run, until Shutdown. Thread: any.
    virtual bool IsInitialized() = 0;
    // True on the display's own thread. Thread: any.
    virtual bool IsDisplayThread() = 0;

    // The program's name, shown in the title bars of its alerts. Thread: any.
    virtual void SetProgramName(const std::string& name) = 0;
    // Closes every alert that is open, or asked for before the call, without
    // an answer. Thread: any.
    virtual void DismissAlerts() = 0;
};

// Installs the display; null removes it. Only seam::Install calls it.
// Thread: the main thread, before any looper exists and after the last is gone.
void install_app_display(AppDisplay* display);

// The installed display, or null. Thread: any.
AppDisplay* installed_app_display();

// The installed display; without one, the program stops and names the
// caller's place. Thread: any.
AppDisplay& need_app_display(const char* function = __builtin_FUNCTION(),
                             const char* file = __builtin_FILE(), int line = __builtin_LINE());

} // namespace kit_private
