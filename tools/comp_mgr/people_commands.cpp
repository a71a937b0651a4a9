#include "people_commands.h"

#include "catalog_text.h"

namespace comp_mgr_tool {

const std::vector<PeopleCommand>& PeopleCommands() {
    static const std::vector<PeopleCommand> commands = [] {
        std::vector<PeopleCommand> c;
        AddCatalogCommands(&c);
        AddDiagnosisCommands(&c);
        AddBackupCommands(&c);
        AddRecordCommands(&c);
        AddVersionCommands(&c);
        AddWebCommands(&c);
        return c;
    }();
    return commands;
}

const PeopleCommand* FindPeopleCommand(const std::string& command, const Words& arguments, Words* words) {
    for (const auto& c : PeopleCommands()) {
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

namespace {

// A section name compared without regard to ASCII letter case.
bool SameSectionName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

SectionName ResolveSection(const CommandContext& context, const std::string& word, int kind) {
    SectionName named{word, {}};
    comp_mgr::CatalogEntry entry;
    // Without the catalog queries the word goes to the library as it is.
    if (!context.Has("iGetCatalogCount") || !context.Has("bGetCatalogByNdx") || !context.Has("bGetCatalogByKey"))
        return named;
    const int wanted = SectionKindOf(word);
    if (wanted >= 0 && (kind < 0 || kind == wanted) && context.EntryOf(word, &entry)) return named;
    const std::string folded = FoldCase(WordText(word));
    std::vector<NamedEntry> bySection, byName, byPath;
    for (int k = 0; k < 2; ++k) {
        if (kind >= 0 && k != kind) continue;
        const int count = context.Count(k);
        for (int i = 0; i < count; ++i) {
            std::string section;
            if (!context.EntryAt(k, i, &section, &entry)) continue;
            NamedEntry found{LibraryText(section), LibraryText(entry.DisplayName), LibraryText(entry.ProgLocation)};
            if (SameSectionName(section, word)) bySection.push_back(found);
            if (!entry.DisplayName.empty() && FoldCase(found.displayName) == folded) byName.push_back(found);
            if (!entry.ProgLocation.empty() && FoldCase(found.location) == folded) byPath.push_back(found);
        }
    }
    for (const auto* matches : {&bySection, &byName, &byPath}) {
        if (matches->empty()) continue;
        if (matches->size() == 1) {
            named.section = matches->front().section;
        } else {
            named.candidates = *matches;
        }
        return named;
    }
    return named;
}

Report AmbiguousName(const std::string& word, const std::vector<NamedEntry>& candidates) {
    Report report;
    report.json["name"] = WordText(word);
    report.json["ambiguous"] = true;
    Json list = Json::array();
    std::string reason = Quote(WordText(word)) + " names " + std::to_string(candidates.size()) + " entries:";
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const NamedEntry& c = candidates[i];
        list.push_back({{"section", c.section}, {"displayName", c.displayName}, {"location", c.location}});
        reason += std::string(i ? "," : "") + " " + c.section + " (" + c.displayName + ", " + c.location + ")";
    }
    report.json["candidates"] = std::move(list);
    return std::move(report).Refuse(reason + "; name one by its section");
}

bool CommandContext::EntryOf(const std::string& section, comp_mgr::CatalogEntry* entry) const {
    comp_mgr::CatalogEntry* pointer = entry;
    return Get<signature::ByKey>("bGetCatalogByKey")(section.c_str(), &pointer) == 1;
}

}  // namespace comp_mgr_tool
