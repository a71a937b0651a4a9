// Running raw calls: preparing the arguments of one export (buffers with a
// guard zone, preset outputs, a fresh catalog entry), calling it and printing
// what it returned and left behind.
#ifndef COMP_MGR_TOOL_RAW_CALL_RUNNER_H
#define COMP_MGR_TOOL_RAW_CALL_RUNNER_H

#include <iosfwd>
#include <string>
#include <vector>

#include "export_table.h"
#include "library.h"
#include "raw_call_parser.h"
#include "report.h"

namespace comp_mgr_tool {

constexpr int kUntouchedOutput = -12345;
// A buffer starts as an empty text whose other bytes are this filler, so a
// text stored without its terminator shows in the output.
constexpr char kBufferFiller = '#';
// Bytes past a buffer's capacity, checked after the call.
constexpr std::size_t kGuardSize = 64;
constexpr unsigned char kGuardByte = 0xA5;

struct CallOutput {
    std::string text;                 // the call line and the entry block, each line ended by "\n"
    Json json;                        // the same as one object
    std::vector<std::string> faults;  // what the library did wrong (written past a buffer, ...)
};

CallOutput ExecuteCall(const ParsedCall& call, AnyFunction function);

// Runs one parsed call against the library; the status is kExitOk, or
// kExitLibrary when the export is missing or the library misbehaved.
// With `json`, one JSON object per call instead of the line.
int RunCall(const Library& library, const ParsedCall& call, bool json, std::ostream& out, std::ostream& err,
            const std::string& where);

// Runs a script: each line one raw call; blank lines and #-comments skipped.
// A malformed line is reported and skipped; the status is the worst seen
// (kExitLibrary before kExitUsage).
int RunScript(const Library& library, const std::vector<std::string>& lines, bool json, std::ostream& out,
              std::ostream& err);

}  // namespace comp_mgr_tool

#endif
