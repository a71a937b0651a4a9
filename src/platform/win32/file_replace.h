// Crash-safe replacement of a file's content on Windows.
#ifndef COMP_MGR_PLATFORM_WIN32_FILE_REPLACE_H
#define COMP_MGR_PLATFORM_WIN32_FILE_REPLACE_H

#include <string>

#include "platform/files.h"

namespace comp_mgr {
namespace win32 {

// Writes what `produce` writes to a temporary file in the folder of `path`, flushes it,
// then puts it in the place of `path` (ReplaceFileA when `path` exists, which
// moves the old file to `backupPath` when that is not empty; MoveFileExA
// otherwise). An older backup is set aside first and put back on failure, so
// on any failure `path` and `backupPath` are as they were and no temporary
// file remains. ReplaceFileA gives the new file the attributes and the
// security of the one it replaces, so a save changes neither. Temporary files
// are named as support/temp_names.h says; those that earlier saves left in
// the folders of `path` and `backupPath` are removed first, when their
// process is gone. A backup name taken by a folder is left alone: the file is
// then replaced without a backup. On failure `*failure` (when given) says
// which step failed and what Windows answered.
bool ReplaceFileContent(const std::string& path, const ContentWriter& produce, const std::string& backupPath,
                        std::string* failure = nullptr);

// A test seam: from now on, the `n`-th Windows call a replacement makes on its
// way forward (creating, writing, flushing, closing, moving, replacing; 1 is
// the next one) fails with ERROR_WRITE_FAULT; 0 turns failing off. Clean-up
// calls are never made to fail. Returns how many such calls were made since
// the previous call of this function.
int FailNthSystemCall(int n);

}  // namespace win32
}  // namespace comp_mgr

#endif
