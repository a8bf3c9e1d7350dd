#include <kit/app/BRoster.h>

#include <kit/kernel/private/ChildSpawn.h>
#include <kit/kernel/private/ChildWatcher.h>

#include <vector>

namespace {

const BRoster sRoster;

} // namespace

const BRoster* be_roster = &sRoster;

status_t BRoster::Launch(const entry_ref* ref, int argc, const char* const* argv, team_id* team,
                         int64* launch, const BMessenger* errorTarget) const {
    if (ref == nullptr || ref->path.empty() || argc < 0 || (argc > 0 && argv == nullptr))
        return B_BAD_VALUE;
    std::vector<const char*> arguments;
    arguments.reserve(static_cast<size_t>(argc) + 1);
    arguments.push_back(ref->path.c_str());
    for (int i = 0; i < argc; ++i) {
        if (argv[i] == nullptr)
            return B_BAD_VALUE;
        arguments.push_back(argv[i]);
    }
    return kit_private::ChildWatcher::Instance().Spawn(ref->path, arguments, *ref, team, launch,
                                                       errorTarget);
}

status_t BRoster::Launch(const entry_ref* ref, const BMessage*, team_id* team) const {
    if (ref == nullptr || ref->path.empty())
        return B_BAD_VALUE;
    return Open(ref->path.c_str(), team);
}

status_t BRoster::Launch(const char* mimeType, int argc, const char* const* argv,
                         team_id* team) const {
    if (mimeType == nullptr || *mimeType == '\0' || argc < 1 || argv == nullptr)
        return B_BAD_VALUE;
    return Open(argv[0], team);
}

status_t BRoster::Open(const char* what, team_id* team) const {
    // xdg-open reads a leading '-' as one of its own options.
    if (what == nullptr || *what == '\0' || *what == '-')
        return B_BAD_VALUE;
    std::string opener = kit_private::find_program("xdg-open");
    if (opener.empty())
        return B_ENTRY_NOT_FOUND;
    entry_ref ref;
    if (status_t status = get_ref_for_path(opener.c_str(), &ref); status != B_OK)
        return status;
    return kit_private::ChildWatcher::Instance().Spawn(opener, {opener.c_str(), what}, ref, team);
}

status_t BRoster::StartWatching(BMessenger target, uint32 eventMask) const {
    return kit_private::ChildWatcher::Instance().StartWatching(target, eventMask);
}

status_t BRoster::StopWatching(BMessenger target) const {
    return kit_private::ChildWatcher::Instance().StopWatching(target);
}
