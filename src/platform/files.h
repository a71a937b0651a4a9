// The file-system port: what the library asks of the files of the machine.
// Paths are Windows paths (drive letter, backslashes) on every adapter.
#ifndef COMP_MGR_PLATFORM_FILES_H
#define COMP_MGR_PLATFORM_FILES_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace comp_mgr {

struct FoundFile {
    std::string name;  // the name as stored, without folder
    bool isDirectory = false;
};

// Takes a file's content piece by piece, as it is produced, so that a large
// file never has to be held in memory whole.
class ContentSink {
public:
    virtual ~ContentSink() = default;
    virtual void Write(std::string_view piece) = 0;
};

// Produces a file's content into the sink it is given.
using ContentWriter = std::function<void(ContentSink&)>;

// An exclusive lock among the processes of this computer, released when the
// object is destroyed (or its process ends, however it ends).
class FileLock {
public:
    virtual ~FileLock() = default;
};

class Files {
public:
    virtual ~Files() = default;

    // Opens a file for reading, sharing it with other readers and writers,
    // and reads every byte. False when it cannot be opened.
    virtual bool ReadAll(const std::string& path, std::string* content) = 0;

    // Reads the file as ReadAll does, handing it to `sink` piece by piece, so
    // that a large file is never held whole. False when it cannot be opened
    // or a read fails (the sink may then have had part of it).
    virtual bool ReadPieces(const std::string& path, ContentSink& sink) {
        std::string content;
        if (!ReadAll(path, &content)) return false;
        sink.Write(content);
        return true;
    }

    // True when the file can be opened for reading (shared, binary).
    virtual bool CanOpen(const std::string& path) = 0;

    // CanOpen of each path, in the order given. The caller changes no file
    // while they are asked, so an adapter may ask them in any order or
    // several at once; by default they are asked one at a time.
    virtual std::vector<bool> CanOpenEach(const std::vector<const std::string*>& paths) {
        std::vector<bool> answers(paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) answers[i] = CanOpen(*paths[i]);
        return answers;
    }

    // A hint: CanOpenEach will soon be asked about `path`, so an adapter may
    // start finding out now. The answer CanOpenEach gives is the same.
    virtual void CanOpenSoon(std::string_view path) { (void)path; }

    // True when a file or folder exists under that name. On the hosted
    // machine so does a FIFO, device or socket, which is no file: CanOpen and
    // ReadAll refuse it without waiting on it.
    virtual bool Exists(const std::string& path) = 0;

    // Replaces `path` by what `produce` writes, so that a complete file stays
    // under the name at every moment: the content goes to a temporary file in
    // the same folder, is flushed, and then takes the place of the old file.
    // With a non-empty `backupPath` the previous file ends up there (an older
    // backup is removed; a backup name taken by a folder or anything else
    // that is no file is left alone, and the file replaced without a backup).
    // On failure both old files are left as they were, and LastFailure says
    // why.
    virtual bool ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) = 0;

    // Why the last ReplaceWith that failed did, in words ("cannot rename to
    // C:\db\vnt_Compdb.ini: access denied"); empty when nobody said.
    virtual std::string LastFailure() const { return std::string(); }

    // The same with the content given whole.
    bool Replace(const std::string& path, std::string_view content, const std::string& backupPath) {
        return ReplaceWith(
            path, [content](ContentSink& sink) { sink.Write(content); }, backupPath);
    }

    virtual bool Remove(const std::string& path) = 0;

    // Takes the exclusive lock named by the file `path` (created if need be,
    // and left in place), waiting up to `waitMilliseconds` for another
    // process to release it. Null when it cannot be had in that time or the
    // file cannot be made. Where processes cannot meet (memory), every lock
    // is granted at once.
    virtual std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) {
        (void)path;
        (void)waitMilliseconds;
        return std::make_unique<FileLock>();
    }

    // Files and folders matching a pattern whose last component may hold the
    // wildcards * and ? ("C:\x\*.dll"), in case-insensitive name order.
    virtual std::vector<FoundFile> Find(const std::string& pattern) = 0;

    // _fullpath with a buffer of `capacity` characters: false when the result
    // does not fit or the path is invalid.
    virtual bool FullPath(const std::string& path, std::string* result, std::uint32_t capacity = 260) = 0;

    // GetLongPathNameA / GetShortPathNameA: the length of the result copied
    // into `buffer` (terminated), the required size when it does not fit, or
    // 0 on failure.
    virtual std::uint32_t LongPathName(const std::string& path, char* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t ShortPathName(const std::string& path, char* buffer, std::uint32_t size) = 0;

    // SHGetFileInfoA's display name of an existing file or folder; false when
    // the shell has none (for instance when nothing exists there).
    virtual bool DisplayName(const std::string& path, std::string* name) = 0;

    // The process's current directory (GetCurrentDirectoryA into a buffer of
    // `capacity` characters; false when it does not fit) and its change.
    virtual bool GetCurrentDirectory(std::string* path, std::uint32_t capacity = 1024) = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
};

}  // namespace comp_mgr

#endif
