#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

const std::vector<PeopleCommand>& AllCommands() {
    static const std::vector<PeopleCommand> commands = [] {
        std::vector<PeopleCommand> c;
        AddCatalogCommands(&c);
        AddDiagnosisCommands(&c);
        AddRecordCommands(&c);
        AddVersionCommands(&c);
        AddWebCommands(&c);
        return c;
    }();
    return commands;
}

}  // namespace

const PeopleCommand* FindPeopleCommand(const std::string& command, const Words& arguments, Words* words) {
    for (const auto& c : AllCommands()) {
        if (command == c.name) {
            *words = arguments;
            return &c;
        }
    }
    return nullptr;
}

bool CheckPeopleCommand(const PeopleCommand& command, const Words& words, std::string* error) {
    if (words.size() < command.minWords || words.size() > command.maxWords) {
        *error = std::string("usage: comp_mgr ") + command.name + (*command.usage ? " " : "") + command.usage;
        return false;
    }
    return command.check ? command.check(words, error) : true;
}

bool WordIsOneOf(const std::string& word, const std::vector<std::string>& choices, std::size_t* index) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (word == choices[i]) {
            *index = i;
            return true;
        }
    }
    return false;
}

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

int CommandContext::Count(int kind) const {
    return Get<signature::IntArg>("iGetCatalogCount")(kind);
}

bool CommandContext::EntryAt(int kind, int index, std::string* section, comp_mgr::CatalogEntry* entry) const {
    auto* byIndex = Get<signature::ByIndex>("bGetCatalogByNdx");
    int result = ReadText(
        [&](unsigned int* size, char* buffer) {
            *entry = comp_mgr::CatalogEntry();
            return byIndex(kind, index, size, buffer, entry);
        },
        section);
    return result == 1;
}

bool CommandContext::EntryOf(const std::string& section, comp_mgr::CatalogEntry* entry) const {
    comp_mgr::CatalogEntry* pointer = entry;
    return Get<signature::ByKey>("bGetCatalogByKey")(section.c_str(), &pointer) == 1;
}

}  // namespace comp_mgr_tool
