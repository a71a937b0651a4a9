// One run of the tool: options, the command checked, the library loaded with
// the machine settings in the environment, the command run, the library unloaded.
#ifndef COMP_MGR_TOOL_TOOL_H
#define COMP_MGR_TOOL_TOOL_H

#include <iosfwd>
#include <string>
#include <vector>

namespace comp_mgr_tool {

int RunTool(const std::vector<std::string>& words, const char* argv0, std::istream& in, std::ostream& out,
            std::ostream& err);

}  // namespace comp_mgr_tool

#endif
