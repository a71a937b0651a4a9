// The commands for people (list, show, install, link, flags, ...): each
// checks its words before the library is loaded and then runs against it.
#ifndef COMP_MGR_TOOL_PEOPLE_COMMANDS_H
#define COMP_MGR_TOOL_PEOPLE_COMMANDS_H

#include <string>
#include <vector>

#include "command_context.h"

namespace comp_mgr_tool {

using Words = std::vector<std::string>;

struct PeopleCommand {
    const char* name;   // "list", "unregister-all", ...
    const char* usage;  // the words after the name
    std::size_t minWords, maxWords;
    // Checks the words (modes, integers) before the library is loaded.
    bool (*check)(const Words& words, std::string* error);
    Report (*run)(const CommandContext& context, const Words& words);
};

// Finds the command for a command word; its words are the arguments. Null when
// there is none.
const PeopleCommand* FindPeopleCommand(const std::string& command, const Words& arguments, Words* words);

// Checks the number of words and calls the command's own check.
bool CheckPeopleCommand(const PeopleCommand& command, const Words& words, std::string* error);

// The command groups, each in its own file.
void AddCatalogCommands(std::vector<PeopleCommand>* commands);
void AddDiagnosisCommands(std::vector<PeopleCommand>* commands);
void AddRecordCommands(std::vector<PeopleCommand>* commands);
void AddVersionCommands(std::vector<PeopleCommand>* commands);
void AddWebCommands(std::vector<PeopleCommand>* commands);

// Shared helpers of the command files.
bool WordIsOneOf(const std::string& word, const std::vector<std::string>& choices, std::size_t* index);
std::string Quote(const std::string& text);

}  // namespace comp_mgr_tool

#endif
