#include <kit/storage/BAppFileInfo.h>

#include <kit/interface/BBitmap.h>
#include <kit/storage/AppResources.h>
#include <kit/storage/BFile.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <vector>

BAppFileInfo::BAppFileInfo(BFile* file) {
    SetTo(file);
}

status_t BAppFileInfo::SetTo(BFile* file) {
    fFile = nullptr;
    if (file == nullptr)
        return fStatus = B_BAD_VALUE;
    if (file->InitCheck() != B_OK)
        return fStatus = file->InitCheck();
    fFile = file;
    return fStatus = B_OK;
}

status_t BAppFileInfo::GetIcon(BBitmap* icon, icon_size size) const {
    if (icon == nullptr || (size != B_LARGE_ICON && size != B_MINI_ICON))
        return B_BAD_VALUE;
    if (fStatus != B_OK || fFile->fFd < 0)
        return B_NO_INIT;
    int side = static_cast<int>(size);
    if (icon->InitCheck() != B_OK || icon->ColorSpace() != B_CMAP8 ||
        icon->Bounds().IntegerWidth() + 1 != side || icon->Bounds().IntegerHeight() + 1 != side)
        return B_BAD_VALUE;

    // Compiled-in icons belong to the running executable only: compare the
    // file with the one the process was started from.
    struct stat file {};
    struct stat self {};
    if (::fstat(fFile->fFd, &file) != 0 || ::stat("/proc/self/exe", &self) != 0)
        return status_from_errno(errno);
    if (file.st_dev != self.st_dev || file.st_ino != self.st_ino)
        return B_NAME_NOT_FOUND;

    std::vector<uint8> pixels;
    if (status_t status = registered_app_icon(size, &pixels); status != B_OK)
        return status;
    auto* bits = static_cast<uint8*>(icon->Bits());
    for (int row = 0; row < side; ++row)
        std::memcpy(bits + static_cast<size_t>(row) * icon->BytesPerRow(),
                    pixels.data() + static_cast<size_t>(row) * side, static_cast<size_t>(side));
    return B_OK;
}
