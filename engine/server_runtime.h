// What the engine libraries (the component engine and the test engine) need
// of the system they run on, Windows or the hosted machine. Texts are UTF-8.
#ifndef VNT_ENGINE_SERVER_RUNTIME_H
#define VNT_ENGINE_SERVER_RUNTIME_H

#include <cstddef>
#include <string>
#include <string_view>

#include "comp_mgr/engine_interface.h"

namespace vnt_engine {

using comp_mgr::engine_abi::Bstr;
using comp_mgr::engine_abi::Guid;

// The characters of a BSTR handed in (none for a null one).
std::u16string_view StringView(Bstr text);

// Leaves an error object with `description` for the calling thread, or
// clears the thread's error object when `description` is null
// (SetErrorInfo; on the hosted machine the library's GetErrorInfo export
// hands it over).
void LeaveErrorInfo(const Guid& iid, const std::u16string* description);

// The file the library holding `anchor` was loaded from.
std::string OwnPath(const void* anchor);
// `path` with its file name replaced by `name`.
std::string Beside(const std::string& path, const std::string& name);

// A regular file's bytes when it is at most `limit` bytes long; false when it
// is missing, unreadable, not a regular file or longer.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string* bytes);
// Appends `line` and a line feed to `path`.
void AppendLine(const std::string& path, const std::string& line);

}  // namespace vnt_engine

#endif
