#include "platform/hosted/host_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "support/path_parts.h"
#include "support/temp_names.h"

namespace comp_mgr {
namespace host_io {
namespace {

int g_failAt = 0;  // the call that fails, counted from g_calls = 0
int g_calls = 0;   // forward calls of replacements since the last arming

// True when this forward call is the one a test asked to fail (errno is then EIO).
bool Injected() {
    ++g_calls;
    if (g_failAt == 0 || g_calls != g_failAt) return false;
    errno = EIO;
    return true;
}

std::string Reason(const char* step, const std::string& path) {
    const int error = errno;
    return std::string("cannot ") + step + " " + path + ": " + std::strerror(error);
}

void SetFailure(std::string* failure, std::string text) {
    if (failure && failure->empty()) *failure = std::move(text);
}

bool WriteAll(int fd, const char* data, std::size_t size, bool counted = false) {
    while (size > 0) {
        if (counted && Injected()) return false;
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes each piece straight to an open file; after a failed write the rest
// is dropped and the failure remembered.
class FileSink : public ContentSink {
public:
    explicit FileSink(int fd) : fd_(fd) {}
    void Write(std::string_view piece) override {
        if (!ok_) return;
        ok_ = WriteAll(fd_, piece.data(), piece.size(), true);
        if (!ok_) error_ = errno;
    }
    bool ok() const { return ok_; }
    int error() const { return error_; }

private:
    int fd_;
    bool ok_ = true;
    int error_ = 0;
};

// The file is looked at before it is opened (opening a FIFO waits for a
// writer; opening some devices does things), and the open file again, in
// case something else took the name in between: O_NONBLOCK keeps that open
// from waiting.
int OpenRegularForReading(const std::string& path) {
    if (!IsRegularFile(path)) return -1;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A new empty file next to `near`, named for this process; its name, or ""
// on failure.
int MakeTemporary(const std::string& near, std::string* made) {
    std::string pattern = PosixFolder(near) + "/" +
                          TemporaryNamePrefix(PosixBaseName(near), static_cast<std::uint32_t>(::getpid())) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (Injected()) return -1;
    int fd = ::mkstemp(name.data());
    if (fd >= 0) made->assign(name.data());
    return fd;
}

// The replacement takes the place of `model`, so it takes its mode, owner and
// group. The owner first: changing it clears the set-user-ID bit. A process
// may give a file only its own user and its own groups; a replacement it
// cannot give the old owner keeps the saver's (and the old mode).
void TakeAttributes(int fd, const std::string& model) {
    struct stat st;
    if (!model.empty() && ::stat(model.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // EPERM for a process that may not; the mode is kept all the same.
        }
        ::fchmod(fd, st.st_mode & 07777);
        return;
    }
    // mkstemp makes the file private; a new file gets the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

// Writes a new file next to `near`, with the attributes of `model`, and
// returns its name, or "" on failure.
std::string WriteTemporary(const std::string& near, const std::string& model, const ContentWriter& produce,
                           std::string* failure) {
    std::string made;
    int fd = MakeTemporary(near, &made);
    if (fd < 0) {
        SetFailure(failure, Reason("create a temporary file beside", near));
        return std::string();
    }
    FileSink sink(fd);
    try {
        produce(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(made.c_str());
        throw;
    }
    bool ok = sink.ok();
    if (!ok) {
        errno = sink.error();
        SetFailure(failure, Reason("write", made));
    }
    if (ok) TakeAttributes(fd, model);
    if (ok && (Injected() || ::fsync(fd) != 0)) {
        ok = false;
        SetFailure(failure, Reason("flush", made));
    }
    if (ok && Injected()) {
        ok = false;
        SetFailure(failure, Reason("close", made));
        ::close(fd);
    } else if (::close(fd) != 0 && ok) {
        ok = false;
        SetFailure(failure, Reason("close", made));
    }
    if (!ok) {
        ::unlink(made.c_str());
        return std::string();
    }
    return made;
}

// A second name for `path` beside `near`, as a hard link; "" when there is
// none, with `*noLinks` set when the file system has no hard links there.
std::string LinkTemporary(const std::string& path, const std::string& near, bool* noLinks, std::string* failure) {
    std::string name;
    *noLinks = false;
    int fd = MakeTemporary(near, &name);
    if (fd < 0) {
        SetFailure(failure, Reason("create a temporary file beside", near));
        return std::string();
    }
    ::close(fd);
    // The name is this process's: nobody else takes it between these calls.
    ::unlink(name.c_str());
    if (Injected() || ::link(path.c_str(), name.c_str()) != 0) {
        *noLinks = errno == EPERM || errno == EXDEV || errno == EMLINK || errno == ENOTSUP || errno == EOPNOTSUPP;
        if (!*noLinks) SetFailure(failure, Reason("link", path));
        return std::string();
    }
    return name;
}

// A second name for the file `path` beside `near`: a hard link, or a copy
// where the file system has none; "" on failure.
std::string SecondName(const std::string& path, const std::string& near, std::string* failure) {
    bool noLinks = false;
    std::string second = LinkTemporary(path, near, &noLinks, failure);
    if (!second.empty() || !noLinks) return second;
    std::string current;
    if (!ReadFile(path, &current)) {
        SetFailure(failure, Reason("read", path));
        return std::string();
    }
    return WriteTemporary(
        near, path, [&current](ContentSink& sink) { sink.Write(current); }, failure);
}

bool Rename(const std::string& from, const std::string& to, std::string* failure) {
    if (!Injected() && ::rename(from.c_str(), to.c_str()) == 0) return true;
    SetFailure(failure, Reason("rename to", to));
    return false;
}

void SyncFolder(const std::string& path) {
    int fd = ::open(PosixFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool ProcessIsAlive(std::uint32_t id) {
    if (id == 0 || id > 0x7FFFFFFFu) return false;
    const auto pid = static_cast<pid_t>(id);
    if (pid == ::getpid()) return true;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// Reads an open file to its end and closes it.
bool ReadToEnd(int fd, const std::function<void(std::string_view)>& take) {
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        take(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return true;
}

}  // namespace

bool ReadFile(const std::string& path, std::string* content) {
    int fd = OpenRegularForReading(path);
    if (fd < 0) return false;
    struct stat st;
    std::string data;
    if (::fstat(fd, &st) == 0) data.reserve(static_cast<std::size_t>(st.st_size));
    if (!ReadToEnd(fd, [&data](std::string_view piece) { data.append(piece); })) return false;
    *content = std::move(data);
    return true;
}

bool ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& take) {
    int fd = OpenRegularForReading(path);
    return fd >= 0 && ReadToEnd(fd, take);
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadOnlyFile::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = OpenRegularForReading(path);
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool ReadOnlyFile::ReadAt(std::uint64_t at, std::size_t count, char* out) const {
    while (count > 0) {
        const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        at += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool CanOpenFile(const std::string& path) {
    int fd = OpenRegularForReading(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

int FailNthSystemCall(int n) {
    const int made = g_calls;
    g_failAt = n < 0 ? 0 : n;
    g_calls = 0;
    return made;
}

void RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& baseNames) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(dir)) {
        std::uint32_t id = 0;
        const bool ours = ParseTemporaryName(entry->d_name, &id);
        bool older = false;
        for (const std::string& base : baseNames) older = older || IsOlderTemporaryName(entry->d_name, base);
        if (!ours && !older) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const bool old = now - st.st_mtime > kStaleTemporarySeconds;
        if (old || (ours && !ProcessIsAlive(id))) stale.push_back(path);
    }
    ::closedir(dir);
    for (const std::string& path : stale) ::unlink(path.c_str());
}

bool ReplaceFile(const std::string& path, const ContentWriter& produce, const std::string& backupPath,
                 std::string* failure) {
    const std::string base = PosixBaseName(path);
    if (backupPath.empty() || PosixFolder(backupPath) != PosixFolder(path)) {
        RemoveStaleTemporaries(PosixFolder(path), {base});
        if (!backupPath.empty()) RemoveStaleTemporaries(PosixFolder(backupPath), {PosixBaseName(backupPath)});
    } else {
        RemoveStaleTemporaries(PosixFolder(path), {base, PosixBaseName(backupPath)});
    }
    std::string temp = WriteTemporary(path, path, produce, failure);
    if (temp.empty()) return false;
    // Something that is no file in the backup's place (a folder, say) is not
    // ours to remove: the file is then replaced without a backup.
    struct stat st;
    const bool backupFree = !backupPath.empty() && (::lstat(backupPath.c_str(), &st) != 0 || S_ISREG(st.st_mode) ||
                                                    (S_ISLNK(st.st_mode) && IsRegularFile(backupPath)));
    std::string oldBackup;  // the backup before this save, until the save has succeeded
    bool hadBackup = false;
    bool madeBackup = false;
    if (backupFree && ::access(path.c_str(), F_OK) == 0) {
        // The current file gets a second name first, which then replaces the
        // old backup in one step: at no moment is either name without a file.
        // The old backup keeps a second name of its own until the new file is
        // in place, so that a failure after this step can put it back.
        hadBackup = ::access(backupPath.c_str(), F_OK) == 0;
        std::string second;
        bool ok = !hadBackup || !(oldBackup = SecondName(backupPath, backupPath, failure)).empty();
        ok = ok && !(second = SecondName(path, backupPath, failure)).empty();
        ok = ok && Rename(second, backupPath, failure);
        if (!ok) {
            if (!second.empty()) ::unlink(second.c_str());
            if (!oldBackup.empty()) ::unlink(oldBackup.c_str());
            ::unlink(temp.c_str());
            return false;
        }
        // rename() leaves both names when they already were the same file.
        ::unlink(second.c_str());
        madeBackup = true;
        SyncFolder(backupPath);
    }
    if (!Rename(temp, path, failure)) {
        ::unlink(temp.c_str());
        if (!oldBackup.empty()) {
            ::rename(oldBackup.c_str(), backupPath.c_str());
        } else if (madeBackup && !hadBackup) {
            ::unlink(backupPath.c_str());
        }
        SyncFolder(backupPath);
        return false;
    }
    if (!oldBackup.empty()) ::unlink(oldBackup.c_str());
    SyncFolder(path);
    return true;
}

AppendResult AppendLine(const std::string& path, const std::string& line) {
    const std::string folder = PosixFolder(path);
    if (!MakeDirectories(folder)) return AppendResult::kFailed;
    struct stat st;
    if (::lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return AppendResult::kRefused;
    // O_NOFOLLOW: a linked log is not followed; O_NONBLOCK: a FIFO with no
    // reader fails at once instead of waiting for one.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return errno == ELOOP || errno == ENXIO ? AppendResult::kRefused : AppendResult::kFailed;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return AppendResult::kRefused;
    }
    std::string text = line + "\n";
    bool ok = WriteAll(fd, text.data(), text.size());
    ok = (::close(fd) == 0) && ok;
    return ok ? AppendResult::kAppended : AppendResult::kFailed;
}

int LockFile(const std::string& path, int waitMilliseconds) {
    // O_NOFOLLOW and O_NONBLOCK: a link or FIFO put in the lock's place is not
    // followed or waited on.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    for (int waited = 0;; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMilliseconds) break;
        ::usleep(10 * 1000);
    }
    ::close(fd);
    return -1;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::string parent = PosixFolder(path);
    if (parent != path && parent != "." && parent != "/" && !MakeDirectories(parent)) return false;
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace host_io
}  // namespace comp_mgr
