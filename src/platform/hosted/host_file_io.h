// Plain POSIX file helpers for the hosted machine, on host paths.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOST_FILE_IO_H
#define COMP_MGR_PLATFORM_HOSTED_HOST_FILE_IO_H

#include <string>

#include "platform/files.h"

namespace comp_mgr {
namespace host_io {

// Whole-file read of a regular file.
bool ReadFile(const std::string& path, std::string* content);

// Replaces `path` so that a complete file stays under the name at every
// moment: what `produce` writes goes to a temporary file in the same folder, is
// flushed to disk and renamed over `path`. With a non-empty `backupPath`,
// the current file (if any) first becomes the backup (replacing an older
// one). On failure `path` is left as it was and nothing temporary remains.
bool ReplaceFile(const std::string& path, const ContentWriter& produce, const std::string& backupPath);

// Appends one line (a line feed is added) to a file, making its folder.
bool AppendLine(const std::string& path, const std::string& line);

// mkdir -p.
bool MakeDirectories(const std::string& path);

}  // namespace host_io
}  // namespace comp_mgr

#endif
