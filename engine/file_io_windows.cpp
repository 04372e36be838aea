// The Windows half of the engine's file access: the wide file functions of the system, with every
// path in its OsPath form, and Windows error codes turned into the errno values that the messages
// of both programs are made from.

#ifdef _WIN32

#include "engine/file_io.h"

#include "engine/file_io_detail.h"
#include "engine/os_path.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace pagewright::io {

using detail::FolderOf;
using detail::LastError;
using detail::TemporaryName;

namespace {

int ErrnoFrom(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return EINVAL;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

int LastWindowsError() {
    return ErrnoFrom(GetLastError());
}

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE h) : m_h(h) {}
    ~UniqueHandle() {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }
    HANDLE release() {
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE m_h;
};

// Opens an existing file or folder (links followed) without reading or writing it. Never waits: a
// named pipe without a free instance fails at once.
UniqueHandle OpenExisting(const std::filesystem::path& path, DWORD access) {
    return UniqueHandle(CreateFileW(OsPath(path).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

FileKind KindOfHandle(HANDLE h) {
    switch (GetFileType(h)) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(h, &info))
            return FileKind::Other;
        return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Directory : FileKind::Regular;
    }
    case FILE_TYPE_PIPE:
        return FileKind::Pipe;
    case FILE_TYPE_CHAR:
        return FileKind::Device;
    default:
        return FileKind::Other;
    }
}

// A stdio stream over a handle; the stream owns it from then on.
UniqueFile StreamOf(UniqueHandle& handle, int flags, const char* mode) {
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle.get()), flags);
    if (fd < 0)
        return UniqueFile();
    handle.release();
    UniqueFile file(_fdopen(fd, mode));
    if (!file)
        _close(fd);
    else // read whole or written in large pieces: the stream needs no buffer of its own
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}

bool FileId(const std::filesystem::path& path, std::pair<unsigned long long, unsigned long long>& id) {
    const UniqueHandle h = OpenExisting(path, 0);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !GetFileInformationByHandle(h.get(), &info))
        return false;
    id = {info.dwVolumeSerialNumber,
          (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

} // namespace

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return UniqueFile(_wfopen(OsPath(path).c_str(), wideMode.c_str()));
}

int OpenRegularFile(const std::filesystem::path& path, UniqueFile& file, FileKind& kind) {
    file.reset();
    kind = FileKind::Missing;
    UniqueHandle h(CreateFileW(OsPath(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h)
        return LastWindowsError();
    kind = KindOfHandle(h.get());
    if (kind != FileKind::Regular)
        return 0;
    file = StreamOf(h, _O_RDONLY | _O_BINARY, "rb");
    return file ? 0 : LastError();
}

int InspectTarget(const std::filesystem::path& target, TargetInfo& info) {
    info = TargetInfo{};
    info.path = target;
    const UniqueHandle h = OpenExisting(target, 0);
    if (!h) {
        const DWORD error = GetLastError();
        // Nothing there, or a link that leads nowhere: a new file is made.
        if (error == ERROR_FILE_NOT_FOUND)
            return 0;
        return ErrnoFrom(error);
    }
    info.kind = KindOfHandle(h.get());
    if (info.kind != FileKind::Regular)
        return 0;
    const DWORD attributes = GetFileAttributesW(OsPath(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // The file the link leads to is replaced, as writing through the link would change it.
        std::wstring resolved(MAX_PATH, L'\0');
        DWORD length = GetFinalPathNameByHandleW(h.get(), resolved.data(),
                                                 static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
        if (length >= resolved.size()) {
            resolved.resize(length + 1);
            length = GetFinalPathNameByHandleW(h.get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                                               FILE_NAME_NORMALIZED);
        }
        if (length > 0 && length < resolved.size()) {
            resolved.resize(length);
            info.path = std::filesystem::path(resolved);
        }
    }
    // A read-only file keeps its text; the folder's permissions show when the file is replaced.
    info.writable = attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
    return 0;
}

int ReplacementFile::Create(const TargetInfo& info, Naming) {
    Discard();
    m_target = info.path;
    const std::filesystem::path folder = FolderOf(info.path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path temp = folder / TemporaryName();
        // CREATE_NEW: fails when the name exists, so nothing of another writer is touched.
        UniqueHandle h(CreateFileW(OsPath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            return ErrnoFrom(error);
        }
        m_tempPath = temp;
        m_file = StreamOf(h, _O_WRONLY | _O_BINARY, "wb");
        if (!m_file) {
            const int error = LastError();
            Discard();
            return error;
        }
        return 0;
    }
    return EEXIST;
}

int ReplacementFile::Commit() {
    if (!m_file)
        return EBADF;
    errno = 0;
    int error = 0;
    if (std::fflush(m_file.get()) != 0 || std::ferror(m_file.get()))
        error = LastError();
    if (std::fclose(m_file.release()) != 0 && error == 0)
        error = LastError();
    if (error != 0) {
        Discard();
        return error;
    }
    // One call puts the complete text in place of the old one, or leaves the old one as it was.
    if (!MoveFileExW(OsPath(m_tempPath).c_str(), OsPath(m_target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = LastWindowsError();
        Discard();
        return error;
    }
    m_tempPath.clear();
    return 0;
}

bool FileSet::IdOf(const std::filesystem::path& path, Id& id) {
    return !HasNulByte(path) && FileId(path, id);
}

} // namespace pagewright::io

#endif // _WIN32
