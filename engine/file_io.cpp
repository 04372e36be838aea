#include "engine/file_io.h"

#include "engine/file_io_detail.h"
#include "engine/os_path.h"

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
using detail::TemporaryName;

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

std::string detail::TemporaryName() {
    static const unsigned salt = std::random_device{}();
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long pid = static_cast<unsigned long>(_getpid());
#else
    const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    return ".pagewright-" + std::to_string(pid) + "-" + std::to_string(salt) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

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
    errno = 0;
    const std::size_t got = std::fread(data.get(), 1, static_cast<std::size_t>(size), file);
    if (std::ferror(file))
        return LastError();
    // A file that shrank while it was read is taken as far as it went.
    out.data = std::move(data);
    out.size = got;
    return 0;
}

ReplacementFile::~ReplacementFile() {
    Discard();
}

void ReplacementFile::Discard() {
    m_file.reset();
    if (!m_tempPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(OsPath(m_tempPath), ec);
        m_tempPath.clear();
    }
}

#ifndef _WIN32

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
    info.writable = faccessat(AT_FDCWD, info.path.c_str(), W_OK, AT_EACCESS) == 0;
    return 0;
}

int ReplacementFile::Create(const TargetInfo& info, Naming naming) {
    Discard();
    m_target = info.path;
    const std::filesystem::path folder = FolderOf(info.path);
    int fd = -1;
#ifdef O_TMPFILE
    // /proc/self/fd is what gives the nameless file its name in Commit.
    static const bool canLink = access("/proc/self/fd", X_OK) == 0;
    if (naming == Naming::Auto && canLink)
        fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    static_cast<void>(naming);
#endif
    if (fd < 0) {
        // Not supported here (or the folder cannot take it): a named file, and the reason of its
        // failure is the one reported.
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            const std::filesystem::path temp = folder / TemporaryName();
            fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
            if (fd >= 0)
                m_tempPath = temp;
            else if (errno != EEXIST)
                return LastError();
        }
        if (fd < 0)
            return EEXIST;
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

int ReplacementFile::Commit() {
    if (!m_file)
        return EBADF;
    errno = 0;
    if (std::fflush(m_file.get()) != 0 || std::ferror(m_file.get())) {
        const int error = LastError();
        Discard();
        return error;
    }
    if (m_tempPath.empty()) {
        // Give the nameless file a name in the same folder, then rename that over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(fileno(m_file.get()));
        const std::filesystem::path folder = FolderOf(m_target);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path temp = folder / TemporaryName();
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_tempPath = temp;
                break;
            }
            if (errno != EEXIST) {
                const int error = LastError();
                Discard();
                return error;
            }
        }
        if (m_tempPath.empty()) {
            Discard();
            return EEXIST;
        }
    }
    int error = 0;
    if (std::fclose(m_file.release()) != 0)
        error = LastError();
    if (error == 0) {
        std::error_code ec;
        std::filesystem::rename(m_tempPath, m_target, ec);
        if (!ec) {
            m_tempPath.clear();
            return 0;
        }
        error = ec.value();
    }
    Discard();
    return error;
}

bool FileSet::IdOf(const std::filesystem::path& path, Id& id) {
    StatBuffer st;
    if (HasNulByte(path) || StatPath(path, st) != 0)
        return false;
    id = Id(st.st_dev, st.st_ino);
    return true;
}

#endif // !_WIN32

void FileSet::Insert(const std::filesystem::path& path) {
    Id id;
    if (!IdOf(path, id))
        return;
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
    if (at == m_ids.end() || *at != id)
        m_ids.insert(at, id);
}

void FileSet::InsertAll(std::size_t count, const std::function<std::filesystem::path(std::size_t)>& pathAt) {
    const auto before = static_cast<std::ptrdiff_t>(m_ids.size());
    for (std::size_t i = 0; i < count; ++i) {
        Id id;
        if (IdOf(pathAt(i), id))
            m_ids.push_back(id);
    }
    std::sort(m_ids.begin() + before, m_ids.end());
    std::inplace_merge(m_ids.begin(), m_ids.begin() + before, m_ids.end());
    m_ids.erase(std::unique(m_ids.begin(), m_ids.end()), m_ids.end());
}

bool FileSet::Contains(const std::filesystem::path& path) const {
    Id id;
    if (m_ids.empty() || !IdOf(path, id))
        return false;
    return std::binary_search(m_ids.begin(), m_ids.end(), id);
}

} // namespace pagewright::io
