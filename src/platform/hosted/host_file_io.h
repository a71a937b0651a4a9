// Plain POSIX file helpers for the hosted machine, on host paths.
//
// Only regular files are opened as files: a FIFO, device or socket put where
// a file belongs counts as a file that cannot be opened, and is found out
// without opening it, which could block (a FIFO waits for a writer).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOST_FILE_IO_H
#define COMP_MGR_PLATFORM_HOSTED_HOST_FILE_IO_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace comp_mgr {
namespace host_io {

// True when `path` is (or links to) a regular file; never blocks.
bool IsRegularFile(const std::string& path);

// Whole-file read of a regular file.
bool ReadFile(const std::string& path, std::string* content);

// The same read, piece by piece: `take` gets each piece as it is read.
bool ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& take);

// True when `path` is a regular file that can be opened for reading.
bool CanOpenFile(const std::string& path);

// A regular file open for reading at any offset (opened as ReadFile opens).
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    bool Open(const std::string& path);
    std::uint64_t size() const { return size_; }
    // Exactly `count` bytes at `at`; false when they cannot all be read.
    bool ReadAt(std::uint64_t at, std::size_t count, char* out) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Replaces `path` so that a complete file stays under the name at every
// moment: what `produce` writes goes to a temporary file in the same folder
// (named as support/temp_names.h says), takes the mode, owner and group of
// the file it replaces (owner and group as far as the process may change
// them), is flushed to disk and renamed over `path`. With a non-empty
// `backupPath`, the current file (if any) first becomes the backup (replacing
// an older one). On failure `path` is left as it was and nothing temporary
// remains; `*failure` (when given) then says which step failed and why. A
// backup name taken by something that is no regular file (a folder, say) is
// left alone and the file is replaced without a backup. Temporary files that
// earlier saves left in the folders of `path` and `backupPath` are removed
// first, when their process is gone.
bool ReplaceFile(const std::string& path, const ContentWriter& produce, const std::string& backupPath,
                 std::string* failure = nullptr);

// Removes the stale temporary files of saves in `folder` (support/temp_names.h),
// those of earlier builds' naming too for the files named `baseNames`.
void RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& baseNames = {});

// A test seam: from now on, the `n`-th system call a replacement makes on its
// way forward (creating, writing, flushing, closing, linking, renaming; 1 is
// the next one) fails with EIO, as a full or failing disk would make it; 0
// turns failing off. Clean-up calls are never made to fail. Returns how many
// such calls were made since the previous call of this function.
int FailNthSystemCall(int n);

enum class AppendResult {
    kAppended,
    kFailed,
    // The file or its folder is a symbolic link, or the file is no regular
    // file: a log is never written through a link or into a FIFO or device.
    kRefused,
};

// Appends one line (a line feed is added) to a log file, making its folder.
AppendResult AppendLine(const std::string& path, const std::string& line);

// An exclusive lock (flock) on the regular file `path`, created when missing:
// the open descriptor that holds it, or -1 when the file cannot be made or
// the lock is not had within `waitMilliseconds`. Closing the descriptor, or
// the end of the process, releases it.
int LockFile(const std::string& path, int waitMilliseconds);

// mkdir -p.
bool MakeDirectories(const std::string& path);

}  // namespace host_io
}  // namespace comp_mgr

#endif
