// Opening a content file on Windows: the path taken as UTF-8 (any folder's
// name works), binary mode, and a directory named as such, where opening it
// would only say that access is denied. There are no FIFOs to block on.
#include "platform/content_open.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace {

std::wstring widePath(const char* path)
{
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), length);
    wide.resize(size_t(length - 1));
    return wide;
}

ContentFailure openFailure(int error)
{
    switch (error) {
    case ENOENT:
        return ContentFailure::Missing;
    case ENOMEM:
        return ContentFailure::OutOfMemory;
    default:   // EACCES: no permission, or another program holds it locked
        return ContentFailure::Unreadable;
    }
}

} // namespace

ContentFailure openContentFile(const char* path, int& descriptor, uint64_t& size)
{
    descriptor = -1;
    const std::wstring wide = widePath(path);
    if (wide.empty())
        return ContentFailure::Missing;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ContentFailure::NotRegular;
    descriptor = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (descriptor < 0)
        return openFailure(errno);
    struct _stat64 info {};
    ContentFailure failure = ContentFailure::None;
    if (_fstat64(descriptor, &info) != 0)
        failure = ContentFailure::Unreadable;
    else if ((info.st_mode & _S_IFMT) != _S_IFREG)
        failure = ContentFailure::NotRegular;
    else if (info.st_size < 0)
        failure = ContentFailure::TooLarge;
    if (failure != ContentFailure::None) {
        _close(descriptor);
        descriptor = -1;
        return failure;
    }
    size = uint64_t(info.st_size);
    return failure;
}
