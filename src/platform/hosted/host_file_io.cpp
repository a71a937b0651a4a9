#include "platform/hosted/host_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "support/path_parts.h"
#include "support/temp_names.h"

namespace comp_mgr {
namespace host_io {
namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
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
    void Write(std::string_view piece) override { ok_ = ok_ && WriteAll(fd_, piece.data(), piece.size()); }
    bool ok() const { return ok_; }

private:
    int fd_;
    bool ok_ = true;
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
std::string WriteTemporary(const std::string& near, const std::string& model, const ContentWriter& produce) {
    std::string made;
    int fd = MakeTemporary(near, &made);
    if (fd < 0) return std::string();
    FileSink sink(fd);
    try {
        produce(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(made.c_str());
        throw;
    }
    bool ok = sink.ok();
    if (ok) TakeAttributes(fd, model);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(made.c_str());
        return std::string();
    }
    return made;
}

// A second name for `path` beside `near`, as a hard link; "" when the file
// system has none.
std::string LinkTemporary(const std::string& path, const std::string& near) {
    std::string name;
    int fd = MakeTemporary(near, &name);
    if (fd < 0) return std::string();
    ::close(fd);
    // The name is this process's: nobody else takes it between these calls.
    ::unlink(name.c_str());
    if (::link(path.c_str(), name.c_str()) != 0) return std::string();
    return name;
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

bool ReadFile(const std::string& path, std::string* content) {
    int fd = OpenRegularForReading(path);
    if (fd < 0) return false;
    struct stat st;
    std::string data;
    if (::fstat(fd, &st) == 0) data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    *content = std::move(data);
    return true;
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

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(dir)) {
        std::uint32_t id = 0;
        if (!ParseTemporaryName(entry->d_name, &id)) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!ProcessIsAlive(id) || now - st.st_mtime > kStaleTemporarySeconds) stale.push_back(path);
    }
    ::closedir(dir);
    for (const std::string& path : stale) ::unlink(path.c_str());
}

bool ReplaceFile(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    RemoveStaleTemporaries(PosixFolder(path));
    if (!backupPath.empty() && PosixFolder(backupPath) != PosixFolder(path)) {
        RemoveStaleTemporaries(PosixFolder(backupPath));
    }
    std::string temp = WriteTemporary(path, path, produce);
    if (temp.empty()) return false;
    if (!backupPath.empty() && ::access(path.c_str(), F_OK) == 0) {
        // The current file gets a second name first, which then replaces the
        // old backup in one step: at no moment is either name without a file.
        std::string second = LinkTemporary(path, backupPath);
        if (second.empty()) {
            // No hard links here (or another file system): copy instead.
            std::string current;
            if (ReadFile(path, &current)) {
                second = WriteTemporary(backupPath, path, [&current](ContentSink& sink) { sink.Write(current); });
            }
        }
        if (second.empty() || ::rename(second.c_str(), backupPath.c_str()) != 0) {
            if (!second.empty()) ::unlink(second.c_str());
            ::unlink(temp.c_str());
            return false;
        }
        // rename() leaves both names when they already were the same file.
        ::unlink(second.c_str());
        SyncFolder(backupPath);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
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
