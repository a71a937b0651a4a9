// Which of the tool's exports a library file has, without running it: --help
// marks the commands the library cannot run, and loading libcomp_mgr.so
// would start the library (its catalog, its registry scan) and save at the
// unload. On Linux the names come from the file's dynamic symbol table; on
// Windows the DLL is mapped without running DllMain or resolving imports.
#ifndef COMP_MGR_TOOL_EXPORT_NAMES_H
#define COMP_MGR_TOOL_EXPORT_NAMES_H

#include <set>
#include <string>
#include <string_view>

namespace comp_mgr_tool {

// The names of the functions an ELF shared object defines in its dynamic
// symbol table (64- and 32-bit, little-endian). False when the bytes are not
// such a file or its tables do not fit in it.
bool ElfExportNames(std::string_view file, std::set<std::string>* names);

// The tool's export names (ExportInfo::name) the library at `path` has,
// looked up under each export's symbols. False with a reason when the file
// cannot be read.
bool LibraryExportNames(const std::string& path, std::set<std::string>* names, std::string* reason);

}  // namespace comp_mgr_tool

#endif
