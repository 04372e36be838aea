#pragma once

#include <compare>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Binary file access for the engine: files are always opened in binary mode so that no platform
// translates line ends, and every failure comes back as an errno value. Only regular files are
// read and written: a named pipe, a device or a socket could block for ever or never end.

namespace pagewright::io {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` with a binary stdio mode ("rb", "wb"); empty on failure, errno set. On Windows every
// path here goes to the wide file functions, in its OsPath form (engine/os_path.h), so names that
// are not ASCII and paths beyond 260 characters work.
UniqueFile OpenFile(const std::filesystem::path& path, const char* mode);

// Flushes and closes the file; returns 0, or the errno value of the first failure (a full disk
// shows up here when the last buffer is written).
int CloseFile(UniqueFile& file);

enum class FileKind { Missing, Regular, Directory, Pipe, Device, Socket, Other };

// "a folder", "a named pipe", "a device", "a socket", "not a file" (for Other).
const char* DescribeKind(FileKind kind);

// True when the path cannot reach the file system unchanged: it holds a NUL byte, which the system
// calls would take as its end, so that another file would be named.
bool HasNulByte(const std::filesystem::path& path);

// Opens a file for binary reading only when it is a regular file (links followed). Never waits: a
// named pipe is opened without blocking and refused. Returns 0 with `file` set; the errno value of
// a failed open; or 0 with `file` empty and `kind` telling what else is there.
int OpenRegularFile(const std::filesystem::path& path, UniqueFile& file, FileKind& kind);

// A file's last modification as the system keeps it (nanoseconds where it has them), to be handed on
// exactly to another file.
struct ModTime {
    long long seconds = 0;
    long nanoseconds = 0;
    bool known = false;
    auto operator<=>(const ModTime&) const = default;
};

// A file's identity: st_dev and st_ino, or on Windows the volume serial number and the file index.
using FileId = std::pair<unsigned long long, unsigned long long>;

// What a path or an open descriptor leads to (links followed).
struct FileStatus {
    FileKind kind = FileKind::Missing;
    FileId id;
    ModTime modified;
};
// Returns 0 with `status` filled, or the errno value of the failure (ENOENT: nothing there).
int StatusOf(const std::filesystem::path& path, FileStatus& status);
// The same for an open descriptor (0, 1, 2...); EBADF when it is not open.
int StatusOfDescriptor(int fd, FileStatus& status);

struct FileBytes {
    std::unique_ptr<unsigned char[]> data;
    std::size_t size = 0;     // the bytes read so far
    std::size_t capacity = 0; // the file's size when it was measured: the most that is read
    ModTime modified;         // as the file was when its size was taken
};

// Reads a regular file from the current position to its end, in one piece sized from the file.
// Returns 0 or an errno value (EISDIR for a directory, ENOMEM when the buffer cannot be had,
// EINVAL for anything else that is not a regular file, EFBIG for a file of more than `limit` bytes,
// which is then not read).
int ReadWholeFile(std::FILE* file, FileBytes& out, unsigned long long limit = ~0ULL);

// The same in steps, for a caller that works on the start of a large file while the rest is read:
// BeginRead measures the file and makes room for all of it (nothing read yet; the errno values of
// ReadWholeFile), ReadMore appends up to `most` more bytes and sets `got` (0: the end, also of a
// file that shrank) or returns an errno value.
int BeginRead(std::FILE* file, FileBytes& out, unsigned long long limit = ~0ULL);
int ReadMore(std::FILE* file, FileBytes& out, std::size_t most, std::size_t& got);

// What is at a target path before it is replaced.
struct TargetInfo {
    FileKind kind = FileKind::Missing;
    // The path to replace: the target, or the file a link there leads to.
    std::filesystem::path path;
    // The permission bits and owner of an existing file, for its replacement.
    std::optional<unsigned> mode;
    std::optional<std::pair<unsigned, unsigned>> owner;
    // 0, or why this process may not write an existing file, as the system says it (EACCES, EROFS).
    int writeError = 0;
};
int InspectTarget(const std::filesystem::path& target, TargetInfo& info);

// A file written under a temporary name in the folder of its target and put in place of the target
// by one rename, only when Commit() succeeds. Until then the target stays exactly as it was; a file
// that is not committed is removed. On Linux the file has no name at all until Commit (where /proc
// is mounted), so a process that is killed leaves nothing behind but in the moment between naming
// and renaming; a name is recorded for RemoveTemporariesOnSignals (engine/temporary_files.h). The
// temporary is made relative to a descriptor of the folder, so its longer name never makes a path
// too long where the target's own is not.
class ReplacementFile {
public:
    enum class Naming { Auto, Named };

    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the file beside `info.path`, with the permission bits (and, where the process may,
    // the owner) of the file it will replace, or those of a new file. `Named` always gives it a
    // name at once. Returns 0 or an errno value.
    int Create(const TargetInfo& info, Naming naming = Naming::Auto);
    std::FILE* File() const { return m_file.get(); }
    // Flushes and closes the file, gives it the modification time `stamp` when one is given, and
    // renames it over the target. Returns 0, or an errno value after which the temporary is gone and
    // the target untouched.
    int Commit(const ModTime* stamp = nullptr);

private:
    void Discard();

    UniqueFile m_file;
    std::filesystem::path m_target;
    std::filesystem::path m_tempPath; // empty while the file has no name
#ifndef _WIN32
    int m_folder = -1;      // the target's folder, which every name below is relative to
    std::string m_tempName; // the temporary's name in it, empty while it has none
    std::string m_targetName;
    int m_ticket = -1; // its record for the signal handler
#endif
};

// The files that a set of paths name, compared by identity (device and file number): every path
// that leads to one of them, through links or "..", is found. Paths that name nothing are left out.
// Each file is kept with its role in the run (a file inserted twice keeps the first).
class FileSet {
public:
    enum class Role : unsigned char { Pdf, List };

    void Insert(const std::filesystem::path& path, Role role = Role::Pdf);
    void Insert(const FileId& id, Role role = Role::Pdf);
    // Inserts the files pathAt(0) to pathAt(count - 1). Their identities are sorted once: inserted
    // one by one, each would move the set behind it, which for a run of many thousands of files
    // takes longer than converting them.
    void InsertAll(std::size_t count, const std::function<std::filesystem::path(std::size_t)>& pathAt,
                   Role role = Role::Pdf);
    bool Contains(const std::filesystem::path& path) const { return Find(path).has_value(); }
    std::optional<Role> Find(const std::filesystem::path& path) const;
    std::optional<Role> Find(const FileId& id) const;
    bool Empty() const { return m_ids.empty(); }

    // The file's identity; false when there is none to be had (no such file, a NUL byte).
    static bool IdOf(const std::filesystem::path& path, FileId& id);

private:
    std::vector<std::pair<FileId, Role>> m_ids; // sorted by identity, no duplicates
};

} // namespace pagewright::io
