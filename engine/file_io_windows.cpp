// The Windows half of the engine's file access: the wide file functions of the system, with every
// path in its OsPath form, and Windows error codes turned into the errno values that the messages
// of both programs are made from.

#ifdef _WIN32

#include "engine/file_io.h"

#include "engine/file_io_detail.h"
#include "engine/os_path.h"
#include "engine/temporary_files.h"

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

// 100-nanosecond ticks since 1601, as the system keeps them, and back.
ModTime FromFileTime(const FILETIME& ft) {
    const unsigned long long ticks =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return {static_cast<long long>(ticks / 10000000ull), static_cast<long>(ticks % 10000000ull) * 100, true};
}

FILETIME ToFileTime(const ModTime& time) {
    const unsigned long long ticks = static_cast<unsigned long long>(time.seconds) * 10000000ull +
                                     static_cast<unsigned long long>(time.nanoseconds / 100);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

int StatusOfHandle(HANDLE h, FileStatus& status) {
    status.kind = KindOfHandle(h);
    BY_HANDLE_FILE_INFORMATION info;
    if (status.kind != FileKind::Regular && status.kind != FileKind::Directory)
        return 0;
    if (!GetFileInformationByHandle(h, &info))
        return LastWindowsError();
    status.id = {info.dwVolumeSerialNumber,
                 (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    status.modified = FromFileTime(info.ftLastWriteTime);
    return 0;
}

} // namespace

ModTime detail::ModTimeOfDescriptor(int fd) {
    FILETIME written;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE || !GetFileTime(h, nullptr, nullptr, &written))
        return {};
    return FromFileTime(written);
}

int StatusOf(const std::filesystem::path& path, FileStatus& status) {
    status = {};
    if (HasNulByte(path))
        return EINVAL;
    const UniqueHandle h = OpenExisting(path, 0);
    if (!h)
        return LastWindowsError();
    return StatusOfHandle(h.get(), status);
}

int StatusOfDescriptor(int fd, FileStatus& status) {
    status = {};
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE)
        return EBADF;
    return StatusOfHandle(h, status);
}

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
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        info.writeError = EACCES;
    return 0;
}

void ReplacementFile::Discard() {
    m_file.reset();
    if (!m_tempPath.empty()) {
        DeleteFileW(OsPath(m_tempPath).c_str());
        m_tempPath.clear();
    }
}

int ReplacementFile::Create(const TargetInfo& info, Naming) {
    Discard();
    m_target = info.path;
    const std::filesystem::path folder = FolderOf(info.path);
    std::string name;
    int ticket = -1;
    const int error = NamedTemporaries::MakeNamed(
        -1,
        [&](const std::string& candidate) {
            const std::filesystem::path temp = folder / candidate;
            // CREATE_NEW: fails when the name exists, so nothing of another writer is touched.
            UniqueHandle h(CreateFileW(OsPath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!h) {
                const DWORD why = GetLastError();
                return why == ERROR_FILE_EXISTS || why == ERROR_ALREADY_EXISTS ? EEXIST : ErrnoFrom(why);
            }
            m_tempPath = temp;
            m_file = StreamOf(h, _O_WRONLY | _O_BINARY, "wb");
            return m_file ? 0 : LastError();
        },
        name, ticket);
    if (error != 0)
        Discard();
    return error;
}

int ReplacementFile::Commit(const ModTime* stamp) {
    if (!m_file)
        return EBADF;
    errno = 0;
    int error = 0;
    if (std::fflush(m_file.get()) != 0 || std::ferror(m_file.get()))
        error = LastError();
    if (error == 0 && stamp && stamp->known) {
        const FILETIME written = ToFileTime(*stamp);
        if (!SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file.get()))), nullptr, nullptr,
                         &written))
            error = LastWindowsError();
    }
    if (std::fclose(m_file.release()) != 0 && error == 0)
        error = LastError();
    if (error != 0) {
        Discard();
        return error;
    }
    // One call puts the complete text in place of the old one, or leaves the old one as it was. A
    // file that another handle holds open (another job looking at its text file, a virus scanner)
    // cannot be replaced until it is closed: such a refusal is tried again for a moment.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(OsPath(m_tempPath).c_str(), OsPath(m_target).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        const DWORD why = GetLastError();
        if (attempt < 30 && (why == ERROR_ACCESS_DENIED || why == ERROR_SHARING_VIOLATION)) {
            Sleep(10);
            continue;
        }
        error = ErrnoFrom(why);
        Discard();
        return error;
    }
    m_tempPath.clear();
    return 0;
}

bool FileSet::IdOf(const std::filesystem::path& path, FileId& id) {
    FileStatus status;
    if (StatusOf(path, status) != 0 ||
        (status.kind != FileKind::Regular && status.kind != FileKind::Directory))
        return false;
    id = status.id;
    return true;
}

} // namespace pagewright::io

#endif // _WIN32
