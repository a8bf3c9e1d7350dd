#include <kit/app/AppInfo.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <unistd.h>

namespace kit_private {

namespace {
std::mutex sInfoMutex;
std::string sSignature;
std::string sName;
} // namespace

status_t current_executable_ref(entry_ref* ref) {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length < 0)
        return status_from_errno(errno);
    path[length] = '\0';
    return get_ref_for_path(path, ref);
}

std::string current_app_signature() {
    std::lock_guard guard(sInfoMutex);
    return sSignature;
}

void set_current_app_signature(const std::string& signature) {
    std::lock_guard guard(sInfoMutex);
    sSignature = signature;
}

std::string current_app_name() {
    std::lock_guard guard(sInfoMutex);
    return sName;
}

void set_current_app_name(const std::string& name) {
    std::lock_guard guard(sInfoMutex);
    sName = name;
}

} // namespace kit_private
