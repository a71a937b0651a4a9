#include "platform/win32/file_replace.h"

#include "platform/win32/windows_api.h"
#include "support/path_parts.h"

namespace comp_mgr {
namespace win32 {
namespace {

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A new empty file with a unique name in `folder`; empty on failure.
std::string NewTempFile(const std::string& folder) {
    char name[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.c_str(), "cmg", 0, name)) return std::string();
    return name;
}

// Writes each piece straight to an open file; after a failed write the rest
// is dropped and the failure remembered.
class HandleSink : public ContentSink {
public:
    explicit HandleSink(HANDLE file) : file_(file) {}
    void Write(std::string_view piece) override {
        std::string_view::size_type done = 0;
        while (ok_ && done < piece.size()) {
            std::string_view::size_type left = piece.size() - done;
            DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
            DWORD written = 0;
            ok_ = WriteFile(file_, piece.data() + done, chunk, &written, nullptr) && written == chunk;
            done += written;
        }
    }
    bool ok() const { return ok_; }

private:
    HANDLE file_;
    bool ok_ = true;
};

bool WriteAndFlush(const std::string& path, const ContentWriter& produce) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    HandleSink sink(file);
    try {
        produce(sink);
    } catch (...) {
        CloseHandle(file);
        DeleteFileA(path.c_str());
        throw;
    }
    bool ok = sink.ok() && FlushFileBuffers(file) != 0;
    if (!CloseHandle(file)) ok = false;
    return ok;
}

// ReplaceFileA may fail after it moved the old file to the backup name: the
// old file then goes back.
bool SwapIn(const std::string& path, const std::string& temp, const std::string& backup) {
    if (ReplaceFileA(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) return true;
    if (!IsFile(path) && IsFile(backup)) MoveFileExA(backup.c_str(), path.c_str(), 0);
    return false;
}

// Replaces the existing `path` by `temp`, the old file going to `backup`.
bool SwapInWithBackup(const std::string& path, const std::string& temp, const std::string& backup) {
    std::string aside;
    if (GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
        aside = NewTempFile(WindowsFolderForJoin(backup));
        if (aside.empty()) return false;
        if (!MoveFileExA(backup.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            DeleteFileA(aside.c_str());
            return false;
        }
    }
    bool ok = SwapIn(path, temp, backup);
    if (!aside.empty()) {
        if (ok) {
            DeleteFileA(aside.c_str());
        } else {
            MoveFileExA(aside.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    return ok;
}

// Replaces the existing `path` by `temp`, dropping the old file. Wine's
// ReplaceFileA without a backup name leaves a temporary file of its own behind
// when it fails, so the old file goes to a backup of ours.
bool SwapInWithoutBackup(const std::string& path, const std::string& temp) {
    std::string scratch = NewTempFile(WindowsFolderForJoin(path));
    if (scratch.empty()) return false;
    bool ok = SwapIn(path, temp, scratch);
    // Unless the old file could not be put back, the scratch file is ours.
    if (IsFile(path)) DeleteFileA(scratch.c_str());
    return ok;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    if (path.empty()) return false;
    std::string temp = NewTempFile(WindowsFolderForJoin(path));
    if (temp.empty()) return false;
    bool ok = WriteAndFlush(temp, produce);
    if (ok) {
        if (!IsFile(path)) {
            ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        } else if (backupPath.empty()) {
            ok = SwapInWithoutBackup(path, temp);
        } else {
            ok = SwapInWithBackup(path, temp, backupPath);
        }
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace win32
}  // namespace comp_mgr
