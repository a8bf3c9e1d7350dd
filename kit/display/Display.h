#pragma once

// The display: the Qt event loop on the main thread, which owns every widget.
// Loopers never touch a widget; they hand the display tasks to run on its
// thread. The display never waits for a looper, so a looper that waits for the
// display (an alert's answer, a measurement) cannot deadlock.
//
// This header carries no Qt types, so kit code outside kit/display includes it.

#include <functional>
#include <string>
#include <vector>

namespace display {

using Task = std::function<void()>;

// Qt's own command-line options ("-style", "Fusion", ...), which the Qt
// application object is made with. Thread: the display's, before Initialize.
void SetOptions(std::vector<std::string> options);

// Creates the Qt application object if there is none yet, and puts Qt's own
// texts into German. Thread: the thread that will run the display (the
// process's main thread in the program).
void Initialize();
bool IsInitialized();

// Says that a display is about to be initialized, so that tasks posted or
// invoked before then wait for it instead of being refused. This lets
// loopers start their work while the display is still being set up.
// Thread: any.
void Announce();

// True while tasks are taken: the display runs, or is announced. Thread: any.
bool IsAvailable();

// True on the display thread. Thread: any.
bool IsDisplayThread();

// Runs the display loop until Exit. Thread: the display thread.
void Exec();
// Ends Exec once the tasks posted before it have run. Thread: any.
void Exit();

// Runs the task on the display thread after every task posted before it.
// Thread: any.
void Post(Task task);

// Runs the task on the display thread and waits until it has run; on the
// display thread it runs at once. Returns false, without running it, when the
// display is not running. Thread: any.
bool Invoke(const Task& task);

// Runs the tasks already posted. Thread: the display thread.
void DrainPosted();

// Destroys every widget and the Qt application object once the display has
// stopped for good. Thread: the display thread, after Exec.
void Shutdown();

} // namespace display
