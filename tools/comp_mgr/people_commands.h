// The commands for people (list, show, install, link, flags, ...): each
// checks its words before the library is loaded and then runs against it.
#ifndef COMP_MGR_TOOL_PEOPLE_COMMANDS_H
#define COMP_MGR_TOOL_PEOPLE_COMMANDS_H

#include <string>
#include <vector>

#include "command_context.h"

namespace comp_mgr_tool {

using Words = std::vector<std::string>;

// An option of one command (`list --name PATTERN`); its value is in
// Options::commandOptions under its name.
struct CommandOption {
    const char* name;                  // "--name"
    const char* value;                 // "PATTERN"
    const char* help;                  // one line
    std::vector<std::string> choices;  // empty: any value
};

struct PeopleCommand {
    const char* name;   // "list", "unregister-all", ...
    const char* usage;  // the words after the name
    std::size_t minWords, maxWords;
    // Checks the words (modes, integers) before the library is loaded.
    bool (*check)(const Words& words, std::string* error);
    Report (*run)(const CommandContext& context, const Words& words);
    // The rest may be left out.
    const char* summary = "";              // one line in comp_mgr --help
    const char* help = "";                 // more for comp_mgr COMMAND --help
    std::vector<CommandOption> options{};  // the command's own options
    std::vector<const char*> exports{};    // every export it may call, for the marks of --help
};

// Every command for people, in the order of the help.
const std::vector<PeopleCommand>& PeopleCommands();

// Finds the command for a command word; its words are the arguments. Null when
// there is none.
const PeopleCommand* FindPeopleCommand(const std::string& command, const Words& arguments, Words* words);

// Checks the number of words and calls the command's own check.
bool CheckPeopleCommand(const PeopleCommand& command, const Words& words, std::string* error);

// The command groups, each in its own file.
void AddBackupCommands(std::vector<PeopleCommand>* commands);
void AddCatalogCommands(std::vector<PeopleCommand>* commands);
void AddDiagnosisCommands(std::vector<PeopleCommand>* commands);
void AddRecordCommands(std::vector<PeopleCommand>* commands);
void AddVersionCommands(std::vector<PeopleCommand>* commands);
void AddWebCommands(std::vector<PeopleCommand>* commands);

// Shared helpers of the command files.
bool WordIsOneOf(const std::string& word, const std::vector<std::string>& choices, std::size_t* index);
std::string Quote(const std::string& text);

// The section a word names, for commands that take SECTION, INSTALLATION or
// PLUGIN: a section name (any letter case), a display name or a program path
// (without regard to letter case), among the entries of `kind` (0
// installations, 1 plug-ins, -1 both). A word that names nothing is kept as
// it is, so the library answers for it. When two or more entries share the
// display name or path, `candidates` lists them and the command refuses.
struct NamedEntry {
    std::string section, displayName, location;  // UTF-8
};
struct SectionName {
    std::string section;
    std::vector<NamedEntry> candidates;
};
SectionName ResolveSection(const CommandContext& context, const std::string& word, int kind);

// The report of an ambiguous name: the candidates in JSON and in the reason.
Report AmbiguousName(const std::string& word, const std::vector<NamedEntry>& candidates);

}  // namespace comp_mgr_tool

#endif
