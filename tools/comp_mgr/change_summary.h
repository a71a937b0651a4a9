// The short account, printed on standard error after a command, of what the
// run changed and refused, built from the event lines the library appended
// during the run (support/event_line.h).
#ifndef COMP_MGR_TOOL_CHANGE_SUMMARY_H
#define COMP_MGR_TOOL_CHANGE_SUMMARY_H

#include <string>

namespace comp_mgr_tool {

// "this run removed PlugIn_3 (C:\p\a.dll: the file is gone); renamed
// PlugIn_5 -> PlugIn_3; registered 2 servers" for the lines of `log` (one
// event a line, in the catalog's code page; lines that are no events are
// passed over). Empty when the run recorded nothing: a run that changed
// nothing says nothing. Each kind is one clause, in a fixed order; a clause
// names at most three sections and counts the rest.
std::string SummarizeEvents(const std::string& log);

}  // namespace comp_mgr_tool

#endif
