#include "platform/hosted/hosted_events.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "platform/hosted/host_file_io.h"
#include "support/code_page_1252.h"
#include "support/event_line.h"
#include "support/path_parts.h"

namespace comp_mgr {

namespace {

bool WriteAllTo(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

HostedEvents::HostedEvents(std::string path, Clock& clock, bool echo, std::uint64_t limit)
    : path_(std::move(path)), clock_(clock), echo_(echo), limit_(limit) {}

HostedEvents::~HostedEvents() {
    WriteWaiting();
    Close();
}

void HostedEvents::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool HostedEvents::Open() {
    struct stat onDisk, held;
    if (fd_ >= 0) {
        // Still the file at the path? Another process may have rotated it.
        if (::lstat(path_.c_str(), &onDisk) == 0 && ::fstat(fd_, &held) == 0 && onDisk.st_ino == held.st_ino &&
            onDisk.st_dev == held.st_dev)
            return true;
        Close();
    }
    const std::string folder = PosixFolder(path_);
    if (!host_io::MakeDirectories(folder)) return false;
    bool refused = ::lstat(folder.c_str(), &onDisk) == 0 && S_ISLNK(onDisk.st_mode);
    if (!refused) {
        // O_NOFOLLOW: a linked log is not followed; O_NONBLOCK: a FIFO with no
        // reader fails at once instead of waiting for one.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            refused = errno == ELOOP || errno == ENXIO;
        } else if (::fstat(fd_, &held) != 0 || !S_ISREG(held.st_mode)) {
            Close();
            refused = true;
        }
    }
    if (refused && !refusedTold_) {
        refusedTold_ = true;
        std::fprintf(stderr, "comp_mgr: %s is a symbolic link or no regular file; it is not written\n", path_.c_str());
    }
    return fd_ >= 0;
}

void HostedEvents::Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept {
    try {
        std::string line = EventLine(clock_.Now(), kind, subject, text);
        line += '\n';
        if (echo_) WriteAllTo(2, Cp1252ToUtf8(line));
        if (held_.Add(line)) WriteWaiting();
    } catch (...) {
        // An event that cannot be written is lost; the work goes on.
    }
}

void HostedEvents::Release() noexcept {
    if (held_.Release()) WriteWaiting();
}

void HostedEvents::WriteWaiting() noexcept {
    try {
        if (!held_.empty() && Open()) {
            struct stat held;
            if (::fstat(fd_, &held) == 0 && static_cast<std::uint64_t>(held.st_size) >= limit_) {
                // Full: it becomes the older log, and these lines start a new one.
                Close();
                const std::string older = path_ + ".1";
                ::rename(path_.c_str(), older.c_str());
            }
            if (Open()) WriteAllTo(fd_, held_.text());
        }
    } catch (...) {
        // Lines that cannot be written are lost; the work goes on.
    }
    held_.Clear();
}

}  // namespace comp_mgr
