// The tool's command line: global options, the command and its words.
#ifndef COMP_MGR_TOOL_OPTIONS_H
#define COMP_MGR_TOOL_OPTIONS_H

#include <map>
#include <set>
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
    bool help = false;     // with a command: that command's help
    bool version = false;
    std::string command;
    std::vector<std::string> arguments;
    // The command's own options by name ("--name" -> "Scope*"), as the
    // command's table row declares them.
    std::map<std::string, std::string> commandOptions;
};

// False with a message on a usage error. Global options may stand before the
// command or among its words, a command's own options among its words; after
// `call` and after "--" every word belongs to the command. `help COMMAND`
// is COMMAND --help.
bool ParseOptions(const std::vector<std::string>& words, Options* options, std::string* error);

// What --help can say about the library it would load: the exports it has
// (by the tool's names), or why it could not tell.
struct LibraryExports {
    bool known = false;
    std::set<std::string> names;
    std::string path, reason;
};

// The --help text; with `exports` known, the commands that need an export the
// library lacks are marked.
std::string UsageText(const LibraryExports* exports = nullptr);

// `comp_mgr COMMAND --help`; empty for an unknown command.
std::string CommandHelp(const std::string& command);

// True when this build of the tool runs against the hosted machine (not Windows).
constexpr bool kHostedBuild =
#ifdef _WIN32
    false;
#else
    true;
#endif

}  // namespace comp_mgr_tool

#endif
