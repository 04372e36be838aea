#include "engine/file_io.h"

#include "engine/file_io_detail.h"
#include "engine/os_path.h"
#include "engine/temporary_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// What every system shares, and the POSIX half; the Windows half is file_io_windows.cpp.

namespace pagewright::io {

using detail::FolderOf;
using detail::LastError;

namespace {

FileKind KindOf(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return FileKind::Regular;
    case S_IFDIR:
        return FileKind::Directory;
#ifndef _WIN32
    case S_IFIFO:
        return FileKind::Pipe;
    case S_IFCHR:
    case S_IFBLK:
        return FileKind::Device;
    case S_IFSOCK:
        return FileKind::Socket;
#else
    case _S_IFCHR:
        return FileKind::Device;
#endif
    default:
        return FileKind::Other;
    }
}

std::unique_ptr<unsigned char[]> Allocate(std::size_t size) {
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size == 0 ? 1 : size]);
}

#ifndef _WIN32
using StatBuffer = struct stat;
int StatPath(const std::filesystem::path& path, StatBuffer& info) {
    return stat(path.c_str(), &info);
}
#endif

} // namespace

int CloseFile(UniqueFile& file) {
    if (!file)
        return 0;
    int error = 0;
    errno = 0;
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        error = LastError();
    if (std::fclose(file.release()) != 0 && error == 0)
        error = LastError();
    return error;
}

const char* DescribeKind(FileKind kind) {
    switch (kind) {
    case FileKind::Directory:
        return "a folder";
    case FileKind::Pipe:
        return "a named pipe";
    case FileKind::Device:
        return "a device";
    case FileKind::Socket:
        return "a socket";
    case FileKind::Missing:
        return "missing";
    case FileKind::Regular:
        return "a regular file";
    case FileKind::Other:
        break;
    }
    return "not a file";
}

bool HasNulByte(const std::filesystem::path& path) {
    return path.native().find(std::filesystem::path::value_type(0)) !=
           std::filesystem::path::string_type::npos;
}

int ReadWholeFile(std::FILE* file, FileBytes& out, unsigned long long limit) {
    if (const int error = BeginRead(file, out, limit); error != 0)
        return error;
    std::size_t got = 0;
    const int error = ReadMore(file, out, out.capacity, got);
    if (error != 0)
        out = {};
    return error;
}

int ReadMore(std::FILE* file, FileBytes& out, std::size_t most, std::size_t& got) {
    got = 0;
    const std::size_t wanted = std::min(most, out.capacity - out.size);
    if (wanted == 0)
        return 0;
    errno = 0;
    got = std::fread(out.data.get() + out.size, 1, wanted, file);
    if (std::ferror(file))
        return LastError();
    // A file that shrank while it was read is taken as far as it went.
    out.size += got;
    return 0;
}

int BeginRead(std::FILE* file, FileBytes& out, unsigned long long limit) {
    out = {};
#ifdef _WIN32
    struct _stat64 info;
    const int statResult = _fstat64(_fileno(file), &info);
#else
    struct stat info;
    const int statResult = fstat(fileno(file), &info);
#endif
    if (statResult != 0)
        return LastError();
    const FileKind kind = KindOf(info.st_mode);
    if (kind == FileKind::Directory)
        return EISDIR;
#ifdef _WIN32
    const ModTime modified = detail::ModTimeOfDescriptor(_fileno(file));
#else
    const ModTime modified{info.st_mtim.tv_sec, info.st_mtim.tv_nsec, true};
#endif
    if (kind != FileKind::Regular)
        return EINVAL;

    const auto size = static_cast<unsigned long long>(info.st_size);
    if (size > limit)
        return EFBIG;
    if (size > static_cast<unsigned long long>(SIZE_MAX / 2))
        return ENOMEM;
    auto data = Allocate(static_cast<std::size_t>(size));
    if (!data)
        return ENOMEM;
    out.data = std::move(data);
    out.capacity = static_cast<std::size_t>(size);
    out.modified = modified;
    return 0;
}

ReplacementFile::~ReplacementFile() {
    Discard();
}

#ifndef _WIN32

void ReplacementFile::Discard() {
    m_file.reset();
    if (!m_tempName.empty()) {
        unlinkat(m_folder, m_tempName.c_str(), 0);
        m_tempName.clear();
    }
    NamedTemporaries::Forget(m_ticket);
    m_ticket = -1;
    if (m_folder >= 0) {
        close(m_folder);
        m_folder = -1;
    }
}

namespace {

ModTime ModTimeOf(const StatBuffer& st) {
    return {st.st_mtim.tv_sec, st.st_mtim.tv_nsec, true};
}

void FillStatus(const StatBuffer& st, FileStatus& status) {
    status.kind = KindOf(st.st_mode);
    status.id = FileId(st.st_dev, st.st_ino);
    status.modified = ModTimeOf(st);
}

} // namespace

int StatusOf(const std::filesystem::path& path, FileStatus& status) {
    status = {};
    if (HasNulByte(path))
        return EINVAL;
    StatBuffer st;
    if (StatPath(path, st) != 0)
        return LastError();
    FillStatus(st, status);
    return 0;
}

int StatusOfDescriptor(int fd, FileStatus& status) {
    status = {};
    StatBuffer st;
    if (fstat(fd, &st) != 0)
        return LastError();
    FillStatus(st, status);
    return 0;
}

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

int OpenRegularFile(const std::filesystem::path& path, UniqueFile& file, FileKind& kind) {
    file.reset();
    kind = FileKind::Missing;
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return LastError();
    StatBuffer info;
    if (fstat(fd, &info) != 0) {
        const int error = LastError();
        close(fd);
        return error;
    }
    kind = KindOf(info.st_mode);
    if (kind != FileKind::Regular) {
        close(fd);
        return 0;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.reset(fdopen(fd, "rb"));
    if (!file) {
        const int error = LastError();
        close(fd);
        return error;
    }
    // Read whole in one call: a buffer of the stream's own would only be allocated and skipped.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return 0;
}

int InspectTarget(const std::filesystem::path& target, TargetInfo& info) {
    info = TargetInfo{};
    info.path = target;
    StatBuffer st;
    if (StatPath(target, st) != 0) {
        // Nothing there, or a link that leads nowhere: a new file is made.
        if (errno == ENOENT)
            return 0;
        return LastError();
    }
    info.kind = KindOf(st.st_mode);
    if (info.kind != FileKind::Regular)
        return 0;
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        // The file the link leads to is replaced, as writing through the link would change it.
        const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            info.path = resolved;
    }
    info.mode = static_cast<unsigned>(st.st_mode) & 07777u;
    info.owner = std::make_pair(static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_gid));
    // The system's own reason: a read-only file system is not a matter of permissions.
    if (faccessat(AT_FDCWD, info.path.c_str(), W_OK, AT_EACCESS) != 0)
        info.writeError = LastError(EACCES);
    return 0;
}

int ReplacementFile::Create(const TargetInfo& info, Naming naming) {
    Discard();
    m_target = info.path;
    m_targetName = info.path.filename().string();
    m_folder = open(FolderOf(info.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return LastError();
    int fd = -1;
#ifdef O_TMPFILE
    // /proc/self/fd is what gives the nameless file its name in Commit.
    static const bool canLink = access("/proc/self/fd", X_OK) == 0;
    if (naming == Naming::Auto && canLink)
        fd = openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    static_cast<void>(naming);
#endif
    if (fd < 0) {
        // Not supported here (or the folder cannot take it): a named file, and the reason of its
        // failure is the one reported.
        const int error = NamedTemporaries::MakeNamed(
            m_folder,
            [&](const std::string& name) {
                fd = openat(m_folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
                return fd >= 0 ? 0 : LastError();
            },
            m_tempName, m_ticket);
        if (error != 0) {
            m_tempName.clear();
            Discard();
            return error;
        }
    }
    // The replacement keeps what the old file had; a new file keeps what the umask gave it.
    if (info.owner && fchown(fd, info.owner->first, info.owner->second) != 0) {
        // Only a privileged process may give a file away; any other keeps the file as its own.
    }
    if (info.mode && fchmod(fd, *info.mode) != 0) {
        // The file keeps the bits of a new file; its text is no less complete.
    }
    m_file.reset(fdopen(fd, "wb"));
    if (!m_file) {
        const int error = LastError();
        close(fd);
        Discard();
        return error;
    }
    // Written in large pieces by the caller's own buffer: the stream needs none.
    std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
    return 0;
}

int ReplacementFile::Commit(const ModTime* stamp) {
    if (!m_file)
        return EBADF;
    errno = 0;
    if (std::fflush(m_file.get()) != 0 || std::ferror(m_file.get())) {
        const int error = LastError();
        Discard();
        return error;
    }
    if (stamp && stamp->known) {
        const timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(stamp->seconds), stamp->nanoseconds}};
        if (futimens(fileno(m_file.get()), times) != 0) {
            const int error = LastError();
            Discard();
            return error;
        }
    }
    if (m_tempName.empty()) {
        // Give the nameless file a name in the same folder, then rename that over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(fileno(m_file.get()));
        const int error = NamedTemporaries::MakeNamed(
            m_folder,
            [&](const std::string& name) {
                return linkat(AT_FDCWD, self.c_str(), m_folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0
                           ? 0
                           : LastError();
            },
            m_tempName, m_ticket);
        if (error != 0) {
            m_tempName.clear();
            Discard();
            return error;
        }
    }
    int error = 0;
    if (std::fclose(m_file.release()) != 0)
        error = LastError();
    if (error == 0) {
        if (renameat(m_folder, m_tempName.c_str(), m_folder, m_targetName.c_str()) == 0) {
            m_tempName.clear();
            Discard();
            return 0;
        }
        error = LastError();
    }
    Discard();
    return error;
}

bool FileSet::IdOf(const std::filesystem::path& path, FileId& id) {
    StatBuffer st;
    if (HasNulByte(path) || StatPath(path, st) != 0)
        return false;
    id = FileId(st.st_dev, st.st_ino);
    return true;
}

#endif // !_WIN32

namespace {

bool ById(const std::pair<FileId, FileSet::Role>& entry, const FileId& id) {
    return entry.first < id;
}

} // namespace

void FileSet::Insert(const FileId& id, Role role) {
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id, ById);
    if (at == m_ids.end() || at->first != id)
        m_ids.insert(at, {id, role});
}

void FileSet::Insert(const std::filesystem::path& path, Role role) {
    FileId id;
    if (IdOf(path, id))
        Insert(id, role);
}

void FileSet::InsertAll(std::size_t count, const std::function<std::filesystem::path(std::size_t)>& pathAt,
                        Role role) {
    const auto before = static_cast<std::ptrdiff_t>(m_ids.size());
    for (std::size_t i = 0; i < count; ++i) {
        FileId id;
        if (IdOf(pathAt(i), id))
            m_ids.push_back({id, role});
    }
    // Stable: of two entries for one file, the earlier keeps its role.
    const auto byId = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::stable_sort(m_ids.begin() + before, m_ids.end(), byId);
    std::inplace_merge(m_ids.begin(), m_ids.begin() + before, m_ids.end(), byId);
    m_ids.erase(std::unique(m_ids.begin(), m_ids.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                m_ids.end());
}

std::optional<FileSet::Role> FileSet::Find(const FileId& id) const {
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id, ById);
    if (at == m_ids.end() || at->first != id)
        return std::nullopt;
    return at->second;
}

std::optional<FileSet::Role> FileSet::Find(const std::filesystem::path& path) const {
    FileId id;
    if (m_ids.empty() || !IdOf(path, id))
        return std::nullopt;
    return Find(id);
}

} // namespace pagewright::io
