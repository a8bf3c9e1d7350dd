#include <kit/storage/AppResources.h>

#include <mutex>

namespace {

std::mutex sIconMutex;
std::vector<uint8> sLargeIcon;
std::vector<uint8> sMiniIcon;

std::vector<uint8>* icon_slot(icon_size size) {
    switch (size) {
    case B_LARGE_ICON:
        return &sLargeIcon;
    case B_MINI_ICON:
        return &sMiniIcon;
    }
    return nullptr;
}

} // namespace

status_t register_app_icon(icon_size size, const uint8* bits, size_t length) {
    std::vector<uint8>* slot = icon_slot(size);
    size_t side = static_cast<size_t>(size);
    if (slot == nullptr || bits == nullptr || length != side * side)
        return B_BAD_VALUE;
    std::lock_guard guard(sIconMutex);
    slot->assign(bits, bits + length);
    return B_OK;
}

status_t registered_app_icon(icon_size size, std::vector<uint8>* bits) {
    std::vector<uint8>* slot = icon_slot(size);
    if (slot == nullptr || bits == nullptr)
        return B_BAD_VALUE;
    std::lock_guard guard(sIconMutex);
    if (slot->empty())
        return B_ENTRY_NOT_FOUND;
    *bits = *slot;
    return B_OK;
}

void clear_app_icons() {
    std::lock_guard guard(sIconMutex);
    sLargeIcon.clear();
    sMiniIcon.clear();
}
