// The tool's tables against what they describe, in process: the export rows
// against the library's list of exports, the help against the commands, and
// the look-up of an export under its symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "export_table.h"
#include "library.h"
#include "options.h"
#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

// The names after EXPORTS in a module-definition file.
std::vector<std::string> DefExports(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    std::vector<std::string> names;
    bool inExports = false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == ';') continue;
        if (word == "EXPORTS") {
            inExports = true;
        } else if (inExports && line[0] != ' ' && line[0] != '\t') {
            inExports = false;  // the next statement
        } else if (inExports && line.find('=') == std::string::npos) {
            names.push_back(word);
        }
    }
    return names;
}

TEST(ToolTables, RowsAreTheExportsOfTheLibrary) {
    // A row is looked up under its first symbol; an export listed as an alias
    // ("NAME" = SYMBOL) of another is not a row of its own.
    std::vector<std::string> rows;
    for (const auto& row : Exports()) rows.push_back(row.symbols.front());
    std::vector<std::string> exports = DefExports(COMP_MGR_DEF_FILE);
    std::sort(rows.begin(), rows.end());
    std::sort(exports.begin(), exports.end());
    EXPECT_FALSE(exports.empty());
    EXPECT_EQ(rows, exports);
}

TEST(ToolTables, HelpListsOnlyCommandsThatRun) {
    const std::string help = UsageText();
    const std::size_t start = help.find("\nCommands:\n");
    ASSERT_NE(start, std::string::npos);
    std::istringstream lines(help.substr(start + 11));
    std::string line;
    int listed = 0;
    while (std::getline(lines, line) && !line.empty()) {
        ASSERT_EQ(line.compare(0, 2, "  "), 0) << line;
        const std::string text = line.substr(2);
        const std::string command = text.substr(0, text.find(' '));
        ++listed;
        if (command == "call" || command == "exec" || command == "init") continue;
        Words words;
        const PeopleCommand* found = FindPeopleCommand(command, {}, &words);
        ASSERT_NE(found, nullptr) << line;
        // The help spells the command as its usage error does.
        const std::string usage = std::string(found->name) + (*found->usage ? " " : "") + found->usage;
        EXPECT_EQ(text.compare(0, usage.size(), usage), 0) << line;
        EXPECT_TRUE(text.size() == usage.size() || text[usage.size()] == ' ') << line;
    }
    EXPECT_GT(listed, 2);  // more than call and exec
}

TEST(ToolTables, AnExportIsFoundUnderTheFirstOfItsSymbolsTheLibraryHas) {
    Library library;
    std::string error;
    ASSERT_TRUE(library.Load(COMP_MGR_FAKE_LIBRARY_PATH, &error)) << error;
    ExportInfo row = *FindExport("InstallVNT");
    const AnyFunction plain = library.Find(row);
    ASSERT_NE(plain, nullptr);
    row.symbols = {"_Z10InstallVNTv", "InstallVNT", "bAbortDbUpdate"};
    EXPECT_EQ(library.Find(row), plain);
    row.symbols = {"bAbortDbUpdate", "InstallVNT"};
    EXPECT_NE(library.Find(row), plain);
    row.symbols = {"_Z10InstallVNTv"};
    EXPECT_EQ(library.Find(row), nullptr);
}

}  // namespace
}  // namespace comp_mgr_tool
