#pragma once

// What the kit knows about the running application.

#include <kit/kernel/OS.h>
#include <kit/storage/entry_ref.h>

#include <string>

struct app_info {
    entry_ref ref;         // the executable the process was started from, links resolved
    std::string signature; // the application's MIME signature
    team_id team = -1;     // the process id
};

namespace kit_private {

// The executable of this process: the real file behind /proc/self/exe.
// Thread: any.
status_t current_executable_ref(entry_ref* ref);

// The signature of the application object of this process, or empty when
// there is none. Thread: any.
std::string current_app_signature();
void set_current_app_signature(const std::string& signature);

// The name the application shows its users ("SetProgramName"), or empty
// when it gave none. Thread: any.
std::string current_app_name();
void set_current_app_name(const std::string& name);

} // namespace kit_private
