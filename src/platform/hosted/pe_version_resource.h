// The version resource of a PE file (PE32 or PE32+), found as Windows finds
// it for GetFileVersionInfoA when it maps the file as data: the resource
// directory through the section that holds it, type RT_VERSION (16) and name
// 1, then the language: neutral, US English, English, else the first entry
// that is data. The hosted machine speaks US English, as Wine does here.
//
// The file is outside input: every offset and length it holds is checked
// against its size, and a resource or anything leading to it that lies
// outside the file means the file has no version resource. The search
// descends the directory's three levels only, so an entry that points back
// at its own directory cannot loop.
#ifndef COMP_MGR_PLATFORM_HOSTED_PE_VERSION_RESOURCE_H
#define COMP_MGR_PLATFORM_HOSTED_PE_VERSION_RESOURCE_H

#include <string_view>

namespace comp_mgr {

// The bytes of the version resource inside `file`; false when there is none.
bool FindVersionResource(std::string_view file, std::string_view* resource);

}  // namespace comp_mgr

#endif
