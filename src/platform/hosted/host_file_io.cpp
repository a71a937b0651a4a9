#include "platform/hosted/host_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "support/path_parts.h"

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

// Writes a new file next to `near` and returns its name, or "" on failure.
std::string WriteTemporary(const std::string& near, const ContentWriter& produce) {
    std::string pattern = PosixFolder(near) + "/." + PosixBaseName(near) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return std::string();
    std::string made(name.data());
    FileSink sink(fd);
    try {
        produce(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(made.c_str());
        throw;
    }
    bool ok = sink.ok() && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(made.c_str());
        return std::string();
    }
    // mkstemp makes the file private; stored files get the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(made.c_str(), 0666 & ~mask);
    return made;
}

void SyncFolder(const std::string& path) {
    int fd = ::open(PosixFolder(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool ReadFile(const std::string& path, std::string* content) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
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

bool ReplaceFile(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    std::string temp = WriteTemporary(path, produce);
    if (temp.empty()) return false;
    if (!backupPath.empty() && ::access(path.c_str(), F_OK) == 0) {
        // The current file gets a second name first, which then replaces the
        // old backup in one step: at no moment is either name without a file.
        std::string backupTemp = PosixFolder(backupPath) + "/." + PosixBaseName(backupPath) + ".link";
        ::unlink(backupTemp.c_str());
        bool linked = ::link(path.c_str(), backupTemp.c_str()) == 0;
        if (!linked) {
            // No hard links here (or another file system): copy instead.
            std::string current;
            std::string copy;
            if (ReadFile(path, &current))
                copy = WriteTemporary(backupPath, [&current](ContentSink& sink) { sink.Write(current); });
            linked = !copy.empty() && ::rename(copy.c_str(), backupTemp.c_str()) == 0;
            if (!linked && !copy.empty()) ::unlink(copy.c_str());
        }
        if (!linked || ::rename(backupTemp.c_str(), backupPath.c_str()) != 0) {
            ::unlink(backupTemp.c_str());
            ::unlink(temp.c_str());
            return false;
        }
        // rename() leaves both names when they already were the same file.
        ::unlink(backupTemp.c_str());
        SyncFolder(backupPath);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

bool AppendLine(const std::string& path, const std::string& line) {
    if (!MakeDirectories(PosixFolder(path))) return false;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (fd < 0) return false;
    std::string text = line + "\n";
    bool ok = WriteAll(fd, text.data(), text.size());
    return (::close(fd) == 0) && ok;
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
