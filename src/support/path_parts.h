// Cutting paths into their folder and last component. Each helper says which
// separators it honours: the catalog's own paths are cut at backslashes only,
// as the stored locations are; paths the adapters open take either separator
// (Windows) or the slash (POSIX).
#ifndef COMP_MGR_SUPPORT_PATH_PARTS_H
#define COMP_MGR_SUPPORT_PATH_PARTS_H

#include <string>
#include <string_view>

namespace comp_mgr {

// Up to the last backslash, without it ("C:\a\b.dll" -> "C:\a"); empty when
// there is none.
std::string BeforeLastBackslash(std::string_view path);

// Up to and including the last backslash ("C:\a\b.dll" -> "C:\a\"); empty
// when there is none.
std::string ThroughLastBackslash(std::string_view path);

// The folder of a Windows file path cut at its last '\' or '/', without the
// separator except at a drive root ("C:\x" -> "C:\"); empty when there is no
// separator.
std::string WindowsFolder(std::string_view path);

// The folder in which a Windows file path names its file, in a form that can
// be joined with a file name: with its trailing separator, "C:" for "C:name"
// (the current folder of drive C), "." for a bare name.
std::string WindowsFolderForJoin(std::string_view path);

// `path` with its extension (from the last '.' after the last separator)
// replaced by `extension`, or with ".extension" appended when it has none.
std::string WithExtension(std::string_view path, std::string_view extension);

// The folder of a POSIX path: "." for a bare name, "/" for a file at the root.
std::string PosixFolder(std::string_view path);

// The last component of a POSIX path.
std::string PosixBaseName(std::string_view path);

}  // namespace comp_mgr

#endif
