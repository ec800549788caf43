#include "platform/content_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

ContentFailure openFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ContentFailure::Missing;
    case ENXIO:   // a socket, or a FIFO nobody writes to, on some systems
    case ENODEV:
        return ContentFailure::NotRegular;
    case ENOMEM:
        return ContentFailure::OutOfMemory;
    default:
        return ContentFailure::Unreadable;
    }
}

// Judged by the descriptor opened, so a file swapped after the check cannot
// slip past it.
ContentFailure judgeOpenFile(int descriptor, uint64_t& size)
{
    struct stat info {};
    if (fstat(descriptor, &info) != 0)
        return ContentFailure::Unreadable;
    if (!S_ISREG(info.st_mode))
        return ContentFailure::NotRegular;
    if (info.st_size < 0)
        return ContentFailure::TooLarge;
    size = uint64_t(info.st_size);
    return ContentFailure::None;
}

} // namespace

ContentFailure openContentFile(const char* path, int& descriptor, uint64_t& size)
{
    // Without O_NONBLOCK opening a FIFO waits for a writer, for ever.
    descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return openFailure(errno);
    const ContentFailure failure = judgeOpenFile(descriptor, size);
    if (failure != ContentFailure::None) {
        close(descriptor);
        descriptor = -1;
    }
    return failure;
}
