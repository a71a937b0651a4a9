// The tool's command line: global options, the command and its words.
#ifndef COMP_MGR_TOOL_OPTIONS_H
#define COMP_MGR_TOOL_OPTIONS_H

#include <string>
#include <vector>

namespace comp_mgr_tool {

// 0 done; 1 the library, an export, the machine or the output failed; 2 a
// usage error; 3 the library refused, or what was asked for does not exist.
enum ExitStatus { kExitOk = 0, kExitLibrary = 1, kExitUsage = 2, kExitRefused = 3 };

struct Options {
    // The hosted machine (set in the environment before the library loads).
    std::string root, hostExe, cwd, ui;
    bool hasRoot = false, hasHostExe = false, hasCwd = false, hasUi = false;
    std::string library;  // empty: the one next to the tool
    bool json = false;
    bool dryRun = false;   // change nothing outside the process
    bool noSave = false;   // run, then bAbortDbUpdate before unloading
    bool verbose = false;  // -v: the library's events as they happen
    bool quiet = false;    // -q: no summary of changes
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> arguments;
};

// False with a message on a usage error. Global options may stand before the
// command or among a people's command's words; after `call EXPORT` and after
// "--" every word belongs to the command.
bool ParseOptions(const std::vector<std::string>& words, Options* options, std::string* error);

// The --help text.
std::string UsageText();

// True when this build of the tool runs against the hosted machine (not Windows).
constexpr bool kHostedBuild =
#ifdef _WIN32
    false;
#else
    true;
#endif

}  // namespace comp_mgr_tool

#endif
