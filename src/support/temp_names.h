// The names of the temporary files a save makes beside the file it replaces,
// on every adapter: ".NAME.cmtmpPID.UNIQUE" (".vnt_Compdb.ini.cmtmp4242.a1B2c3").
//
// A save killed half-way leaves its temporary file behind, and nothing else
// would ever remove it. The process id in the name lets the next save in that
// folder tell such a leftover from the file of a save another live process is
// writing: it removes the temporary files whose process is gone, and those
// older than kStaleTemporarySeconds whatever their process id says (the id may
// have been reused since). Process ids are of this computer: a machine root
// shared by several computers must not be saved from two of them at once.
#ifndef COMP_MGR_SUPPORT_TEMP_NAMES_H
#define COMP_MGR_SUPPORT_TEMP_NAMES_H

#include <cstdint>
#include <string>
#include <string_view>

namespace comp_mgr {

// No save takes an hour between two writes to its temporary file.
constexpr std::int64_t kStaleTemporarySeconds = 60 * 60;

// ".NAME.cmtmpPID." for the file `baseName`; the caller adds the unique part.
std::string TemporaryNamePrefix(std::string_view baseName, std::uint32_t processId);

// True when `name` is a temporary name made with TemporaryNamePrefix and a
// unique part of 1 to 16 ASCII letters and digits; `*processId` is its process.
bool ParseTemporaryName(std::string_view name, std::uint32_t* processId);

// The names earlier builds gave their temporary files, which carry no process
// id, so only their age tells a leftover from a save still being written:
// ".NAME.XXXXXX" (six letters and digits, as mkstemp makes them, not one
// plain word of a single case) and ".NAME.link" beside the file `baseName`
// on the hosted machine, and "cmgXXXX.tmp" (one to four hexadecimal digits,
// GetTempFileNameA's form) on Windows.
bool IsOlderTemporaryName(std::string_view name, std::string_view baseName);
bool IsOlderWindowsTemporaryName(std::string_view name);

}  // namespace comp_mgr

#endif
