#include <kit/app/SupportDefs.h>

#include <cerrno>

status_t status_from_errno(int error) {
    switch (error) {
    case 0:
        return B_OK;
    case ENOMEM:
        return B_NO_MEMORY;
    case EINVAL:
        return B_BAD_VALUE;
    case ENOENT:
        return B_ENTRY_NOT_FOUND;
    case ENODATA:
        return B_ENTRY_NOT_FOUND;
    case EBADF:
        return B_FILE_ERROR;
    case EEXIST:
        return B_FILE_EXISTS;
    case EACCES:
        return B_PERMISSION_DENIED;
    case EPERM:
        return B_NOT_ALLOWED;
    case ENOTDIR:
        return B_NOT_A_DIRECTORY;
    case EISDIR:
        return B_IS_A_DIRECTORY;
    case ENOSPC:
    case EDQUOT:
        return B_DEVICE_FULL;
    case EROFS:
        return B_READ_ONLY_DEVICE;
    case ENAMETOOLONG:
        return B_NAME_TOO_LONG;
    case ELOOP:
        return B_LINK_LIMIT;
    case EBUSY:
        return B_BUSY;
    case ETIMEDOUT:
        return B_TIMED_OUT;
    case EINTR:
        return B_INTERRUPTED;
    case ESRCH:
        return B_BAD_TEAM_ID;
    case ENOEXEC:
        return B_LAUNCH_FAILED_EXECUTABLE;
    case ENOTSUP:
        return B_NOT_SUPPORTED;
    case ERANGE:
    case E2BIG:
        return B_BUFFER_OVERFLOW;
    case EIO:
        return B_IO_ERROR;
    default:
        return B_ERROR;
    }
}
