#include <kit/storage/private/StorageFiles.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit_private {

status_t make_folders(const std::string& path) {
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return status_from_errno(errno);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return status_from_errno(errno);
    return S_ISDIR(info.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
}

std::string folder_of(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

status_t read_text(const std::string& path, std::string* text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    text->clear();
    char buffer[8192];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (count < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return status_from_errno(error);
        }
        text->append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    return B_OK;
}

status_t remove_file(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return B_OK;
    return status_from_errno(errno);
}

bool has_control_characters(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    return false;
}

} // namespace kit_private
