#include "app/MessageRefs.h"

#include <kit/app/BMessage.h>
#include <kit/storage/BEntry.h>
#include <kit/storage/BPath.h>

MessageRefs::MessageRefs(const BMessage* message, Links links, int32 most) {
    entry_ref ref;
    for (int32 i = 0; (most < 0 || i < most) && message->FindRef("refs", i, &ref) == B_OK; ++i) {
        BEntry entry(&ref, links == Links::Follow);
        BPath path;
        Handed handed{ref, std::nullopt};
        if (entry.GetPath(&path) == B_OK)
            handed.path = path.Path();
        fRefs.push_back(std::move(handed));
    }
}

int32 MessageRefs::Count() const {
    return static_cast<int32>(fRefs.size());
}

const entry_ref& MessageRefs::Ref(int32 index) const {
    return fRefs[static_cast<size_t>(index)].ref;
}

const char* MessageRefs::Path(int32 index) const {
    const std::optional<std::string>& path = fRefs[static_cast<size_t>(index)].path;
    return path ? path->c_str() : nullptr;
}

std::vector<std::string> MessageRefs::Paths() const {
    std::vector<std::string> paths;
    for (const Handed& handed : fRefs)
        if (handed.path)
            paths.push_back(*handed.path);
    return paths;
}
