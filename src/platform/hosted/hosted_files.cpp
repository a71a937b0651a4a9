#include "platform/hosted/hosted_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/hosted/host_file_io.h"
#include "support/text.h"
#include "support/win_path.h"

namespace comp_mgr {

bool HostedFiles::ReadAll(const std::string& path, std::string* content) {
    HostedMachine::Location loc;
    if (!content || !machine_.Locate(path, &loc) || !loc.exists || loc.isDirectory) return false;
    return host_io::ReadFile(loc.hostPath, content);
}

bool HostedFiles::ReadPieces(const std::string& path, ContentSink& sink) {
    HostedMachine::Location loc;
    if (!machine_.Locate(path, &loc) || !loc.exists || loc.isDirectory) return false;
    return host_io::ReadFilePieces(loc.hostPath, [&sink](std::string_view piece) { sink.Write(piece); });
}

namespace {

// O_NONBLOCK and the check after opening keep a FIFO from making the open
// wait or count; a folder opens too, and does not count either.
constexpr int kProbeFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;

bool IsRegularThenClose(int fd) {
    if (fd < 0) return false;
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

// The threads that answer many questions at once, the caller's among them.
std::size_t AskingThreads() {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::min<std::size_t>(processors == 0 ? 1 : processors, 4);
}

}  // namespace

bool HostedFiles::CanOpen(const std::string& path) {
    return IsRegularThenClose(machine_.OpenFile(path, kProbeFlags));
}

void HostedFiles::AddQuestion(OpenAhead& ahead, std::string_view path) {
    HostedMachine::Location at;
    if (!machine_.Locate(path, &at, false) || !at.folderExists || at.isDriveRoot)
        ahead.AddAnswer(path, false);
    else if (at.folderHandle >= 0)
        ahead.Add(path, at.folderHandle, at.name);
    else
        ahead.Add(path, AT_FDCWD, at.hostPath);
}

void HostedFiles::CanOpenSoon(std::string_view path) {
    if (!toldAhead_) {
        const std::size_t threads = AskingThreads();
        if (threads < 2) return;
        toldAhead_ = std::make_unique<OpenAhead>(threads, true);
        toldAt_ = machine_.changes();
    }
    AddQuestion(*toldAhead_, path);
}

std::vector<bool> HostedFiles::CanOpenEach(const std::vector<const std::string*>& paths) {
    std::vector<unsigned char> answers(paths.size(), OpenAhead::kNotAdded);
    if (std::unique_ptr<OpenAhead> told = std::move(toldAhead_)) {
        told->Finish();
        // Answers found before the adapter changed a file are not used.
        if (machine_.changes() == toldAt_)
            for (std::size_t i = 0; i < paths.size(); ++i) answers[i] = told->Take(*paths[i]);
    }
    // The questions not told ahead: their folders are found first, on this
    // thread, which alone uses the machine's memory of them; then the
    // threads only open, look and close.
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (answers[i] == OpenAhead::kNotAdded) rest.push_back(i);
    const std::size_t threads = AskingThreads();
    if (rest.size() >= OpenAhead::kThreadsFrom && threads >= 2) {
        OpenAhead now(threads, false);
        for (std::size_t i : rest) AddQuestion(now, *paths[i]);
        now.Finish();
        for (std::size_t i : rest) answers[i] = now.Take(*paths[i]);
    }
    // The rest one by one, and a name not there as written by the usual rule.
    std::vector<bool> result(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        result[i] = answers[i] == OpenAhead::kYes ||
                    ((answers[i] == OpenAhead::kAskAlone || answers[i] == OpenAhead::kNotAdded) && CanOpen(*paths[i]));
    return result;
}

bool HostedFiles::Exists(const std::string& path) {
    HostedMachine::Location loc;
    return machine_.Locate(path, &loc) && loc.exists;
}

bool HostedFiles::ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    lastFailure_.clear();
    HostedMachine::Location target;
    if (!machine_.Locate(path, &target) || !target.folderExists || target.isDriveRoot) {
        lastFailure_ = "cannot write " + path + ": the folder does not exist";
        return false;
    }
    if (target.isDirectory) {
        lastFailure_ = "cannot write " + path + ": a folder has that name";
        return false;
    }
    // A backup name taken by a folder is left alone (host_io::ReplaceFile).
    std::string backupHost;
    if (!backupPath.empty()) {
        HostedMachine::Location backup;
        if (!machine_.Locate(backupPath, &backup) || !backup.folderExists || backup.isDriveRoot) {
            lastFailure_ = "cannot write " + backupPath + ": the folder does not exist";
            return false;
        }
        backupHost = backup.hostPath;
    }
    const bool replaced = host_io::ReplaceFile(target.hostPath, produce, backupHost, &lastFailure_);
    // Whatever the outcome, the save made and removed names in these folders.
    machine_.Changed(target.hostPath);
    if (!backupHost.empty()) machine_.Changed(backupHost);
    if (replaced) return true;
    if (lastFailure_.empty()) lastFailure_ = "cannot write " + path;
    return false;
}

bool HostedFiles::Remove(const std::string& path) {
    HostedMachine::Location loc;
    if (!machine_.Locate(path, &loc) || !loc.exists || loc.isDirectory) return false;
    const bool removed = ::unlink(loc.hostPath.c_str()) == 0;
    machine_.Changed(loc.hostPath);
    return removed;
}

namespace {

class HostedFileLock : public FileLock {
public:
    explicit HostedFileLock(int fd) : fd_(fd) {}
    ~HostedFileLock() override { ::close(fd_); }
    HostedFileLock(const HostedFileLock&) = delete;
    HostedFileLock& operator=(const HostedFileLock&) = delete;

private:
    int fd_;
};

}  // namespace

std::unique_ptr<FileLock> HostedFiles::Lock(const std::string& path, int waitMilliseconds) {
    HostedMachine::Location loc;
    if (!machine_.Locate(path, &loc) || !loc.folderExists || loc.isDirectory) return nullptr;
    int fd = host_io::LockFile(loc.hostPath, waitMilliseconds);
    if (fd < 0) return nullptr;
    return std::make_unique<HostedFileLock>(fd);
}

std::vector<FoundFile> HostedFiles::Find(const std::string& pattern) {
    std::vector<FoundFile> found;
    std::string full = machine_.FullPath(pattern);
    std::size_t slash = full.rfind('\\');
    if (full.empty() || slash == std::string::npos) return found;
    std::string namePattern = full.substr(slash + 1);
    if (namePattern.empty()) return found;  // "C:\x\" names a folder, not its contents
    HostedMachine::Location folder;
    if (!machine_.Locate(full.substr(0, slash + 1), &folder) || !folder.isDirectory) return found;
    DIR* dir = ::opendir(folder.hostPath.c_str());
    if (!dir) return found;
    while (dirent* entry = ::readdir(dir)) {
        std::string name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (!WildcardMatch(namePattern, name)) continue;
        struct stat st;
        bool isDir = ::stat((folder.hostPath + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        found.push_back(FoundFile{name, isDir});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
        int c = CompareNoCase(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return found;
}

bool HostedFiles::FullPath(const std::string& path, std::string* result, std::uint32_t capacity) {
    std::string full = machine_.FullPath(path, capacity);
    if (full.empty() || !result) return false;
    *result = full;
    return true;
}

std::uint32_t HostedFiles::LongPathName(const std::string& path, char* buffer, std::uint32_t size) {
    HostedMachine::Location loc;
    if (!machine_.Locate(path, &loc) || !loc.exists) return 0;
    const auto length = static_cast<std::uint32_t>(loc.longPath.size());
    if (!buffer || length >= size) return length + 1;  // the size needed, terminator included
    std::memcpy(buffer, loc.longPath.c_str(), loc.longPath.size() + 1);
    return length;
}

std::uint32_t HostedFiles::ShortPathName(const std::string&, char*, std::uint32_t) {
    return 0;
}

bool HostedFiles::DisplayName(const std::string& path, std::string* name) {
    HostedMachine::Location loc;
    if (!name || !machine_.Locate(path, &loc) || !loc.exists) return false;
    *name = loc.name;
    return true;
}

bool HostedFiles::GetCurrentDirectory(std::string* path, std::uint32_t capacity) {
    const std::string& cwd = machine_.currentDirectory();
    if (!path || cwd.size() + 1 > capacity) return false;
    *path = cwd;
    return true;
}

bool HostedFiles::SetCurrentDirectory(const std::string& path) {
    return machine_.ChangeDirectory(path);
}

}  // namespace comp_mgr
