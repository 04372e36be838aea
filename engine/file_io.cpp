#include "engine/file_io.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pagewright::io {

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return UniqueFile(_wfopen(path.c_str(), wideMode.c_str()));
#else
    return UniqueFile(std::fopen(path.c_str(), mode));
#endif
}

int CloseFile(UniqueFile& file) {
    if (!file)
        return 0;
    int error = 0;
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        error = errno != 0 ? errno : EIO;
    if (std::fclose(file.release()) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    return error;
}

namespace {

std::unique_ptr<unsigned char[]> Allocate(std::size_t size) {
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size == 0 ? 1 : size]);
}

// Reads a stream of unknown length in growing pieces.
int ReadUntilEnd(std::FILE* file, FileBytes& out) {
    std::size_t capacity = 64 * 1024;
    std::size_t used = 0;
    auto data = Allocate(capacity);
    if (!data)
        return ENOMEM;
    for (;;) {
        used += std::fread(data.get() + used, 1, capacity - used, file);
        if (std::ferror(file))
            return errno != 0 ? errno : EIO;
        if (used < capacity)
            break;
        auto bigger = Allocate(capacity * 2);
        if (!bigger)
            return ENOMEM;
        std::memcpy(bigger.get(), data.get(), used);
        data = std::move(bigger);
        capacity *= 2;
    }
    out.data = std::move(data);
    out.size = used;
    return 0;
}

} // namespace

int ReadWholeFile(std::FILE* file, FileBytes& out) {
    out = {};
#ifdef _WIN32
    struct _stat64 info;
    const int statResult = _fstat64(_fileno(file), &info);
#else
    struct stat info;
    const int statResult = fstat(fileno(file), &info);
#endif
    if (statResult != 0)
        return errno;
    if ((info.st_mode & S_IFMT) == S_IFDIR)
        return EISDIR;
    if ((info.st_mode & S_IFMT) != S_IFREG)
        return ReadUntilEnd(file, out);

    const auto size = static_cast<unsigned long long>(info.st_size);
    if (size > static_cast<unsigned long long>(SIZE_MAX / 2))
        return ENOMEM;
    auto data = Allocate(static_cast<std::size_t>(size));
    if (!data)
        return ENOMEM;
    errno = 0;
    const std::size_t got = std::fread(data.get(), 1, static_cast<std::size_t>(size), file);
    if (std::ferror(file))
        return errno != 0 ? errno : EIO;
    // A file that shrank while it was read is taken as far as it went.
    out.data = std::move(data);
    out.size = got;
    return 0;
}

} // namespace pagewright::io
