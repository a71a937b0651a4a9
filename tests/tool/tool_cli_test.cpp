// The command line, the help and the text helpers of the tool, in process:
// what the words become, which are refused and with what, the help of each
// command, and the widths and patterns of the output.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "export_names.h"
#include "options.h"
#include "people_commands.h"
#include "report.h"

namespace comp_mgr_tool {
namespace {

using Words = std::vector<std::string>;

// The contract of the command line, one row per case: the words, then what
// they must give (or the start of the error).
TEST(ToolOptions, WordsBecomeOptionsCommandAndArguments) {
    const struct {
        Words words;
        std::string command;
        Words arguments;
        std::string check;  // "root=..", "json", ... read below
    } cases[] = {
        {{"--root=/m", "list"}, "list", {}, "root=/m"},
        {{"list", "--root", "/m"}, "list", {}, "root=/m"},
        {{"flags", "--json"}, "flags", {}, "json"},
        {{"-v", "-q", "--no-save", "--dry-run", "flags"}, "flags", {}, "v q nosave dryrun"},
        {{"--verbose", "--quiet", "flags"}, "flags", {}, "v q"},
        // words that look like options but are none stay words
        {{"web", "set", "S", "-1", "14", "h", "s"}, "web", {"set", "S", "-1", "14", "h", "s"}, ""},
        {{"exec", "-"}, "exec", {"-"}, ""},
        {{"install", "a", "", "c"}, "install", {"a", "", "c"}, ""},
        // after call and after --, every word is the command's
        {{"call", "bUpdateVNT", "--json", "--root", "-v"}, "call", {"bUpdateVNT", "--json", "--root", "-v"}, ""},
        {{"--json", "call", "X", "--", "Y"}, "call", {"X", "--", "Y"}, "json"},
        {{"show", "--", "--json"}, "show", {"--json"}, ""},
        {{"--", "show", "--json"}, "show", {"--json"}, ""},
        {{"--", "call", "X"}, "call", {"X"}, ""},
        // a command's own options, before or among its words
        {{"list", "--name", "Scope*", "plugins"}, "list", {"plugins"}, "--name=Scope*"},
        {{"--name=-x", "list"}, "list", {}, "--name=-x"},
        {{"list", "--status=new", "--sort", "name"}, "list", {}, "--status=new --sort=name"},
        {{"list", "--format", "json"}, "list", {}, "--format=json json"},
        // help
        {{"--help"}, "", {}, "help"},
        {{"list", "--help"}, "list", {}, "help"},
        {{"help", "link"}, "link", {}, "help"},
        {{"help"}, "", {}, "help"},
        {{"call", "--help"}, "call", {"--help"}, ""},
        {{"--version"}, "", {}, "version"},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        std::string label;
        for (const auto& w : c.words) label += "[" + w + "]";
        ASSERT_TRUE(ParseOptions(c.words, &o, &error)) << label << ": " << error;
        EXPECT_EQ(o.command, c.command) << label;
        EXPECT_EQ(o.arguments, c.arguments) << label;
        std::string seen;
        if (o.hasRoot) seen += " root=" + o.root;
        if (o.json) seen += " json";
        if (o.verbose) seen += " v";
        if (o.quiet) seen += " q";
        if (o.noSave) seen += " nosave";
        if (o.dryRun) seen += " dryrun";
        if (o.help) seen += " help";
        if (o.version) seen += " version";
        std::string own;
        for (const auto& [name, value] : o.commandOptions) own += " " + name + "=" + value;
        // The command's options come out sorted by name; compare as sets of words.
        std::istringstream expected(c.check);
        std::string word;
        while (expected >> word) {
            const std::string haystack = seen + " " + own + " ";
            EXPECT_NE(haystack.find(" " + word + " "), std::string::npos) << label << ": " << word << " in" << haystack;
        }
    }
}

TEST(ToolOptions, UsageErrorsSayWhatIsWrong) {
    const struct {
        Words words;
        std::string error;
    } cases[] = {
        {{}, "no command given"},
        {{"--json"}, "no command given"},
        {{"--root"}, "--root needs a value"},
        {{"--root=", "list"}, "--root needs a value"},
        {{"list", "--library"}, "--library needs a value"},
        {{"--bogus", "flags"}, "unknown option: --bogus"},
        {{"flags", "--bogus=1"}, "unknown option: --bogus=1"},
        {{"--json=yes", "flags"}, "--json takes no value"},
        {{"frobnicate"}, "unknown command: frobnicate"},
        {{"--ui", "loud", "flags"}, "--ui takes tty, none or script:FILE, not loud"},
        {{"--ui=script:", "flags"}, "--ui takes tty, none or script:FILE, not script:"},
        {{"show", "S", "--name", "x"}, "unknown option: --name"},
        {{"--name", "x", "show", "S"}, "--name is not an option of show"},
        {{"--name", "x"}, "--name belongs to a command, and none was given"},
        {{"list", "--status", "gone"}, "--status: gone not in {found,new,missing,current}"},
        {{"list", "--sort=size"}, "--sort: size not in {section,name,version,status}"},
        {{"list", "--format", "xml"}, "--format: xml not in {table,tsv,json}"},
        {{"help", "a", "b"}, "usage: comp_mgr help [COMMAND]"},
        {{"help", "nope"}, "unknown command: nope"},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        std::string label;
        for (const auto& w : c.words) label += "[" + w + "]";
        EXPECT_FALSE(ParseOptions(c.words, &o, &error)) << label;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << label;
    }
}

// Every command has a help of its own that begins with the usage its usage
// error gives, and list's names each of its options and status words.
TEST(ToolOptions, EachCommandHasItsHelp) {
    for (const auto& c : PeopleCommands()) {
        const std::string usage = std::string("usage: comp_mgr ") + c.name + (*c.usage ? " " : "") + c.usage;
        const std::string help = CommandHelp(c.name);
        EXPECT_EQ(help.compare(0, usage.size(), usage), 0) << help;
        EXPECT_NE(help.find(c.summary), std::string::npos) << c.name;
        EXPECT_NE(std::string(c.summary), "") << c.name;
        for (const auto& option : c.options) EXPECT_NE(help.find(option.name), std::string::npos) << c.name;
    }
    for (const char* other : {"call", "exec", "init"})
        EXPECT_EQ(CommandHelp(other).rfind(std::string("usage: comp_mgr ") + other, 0), 0u) << other;
    const std::string list = CommandHelp("list");
    for (const char* word : {"found", "new", "missing", "current", "tsv", "version"})
        EXPECT_NE(list.find(word), std::string::npos) << word;
    EXPECT_EQ(CommandHelp("frobnicate"), "");
}

TEST(ToolOptions, HelpMarksOnlyWhatTheLibraryLacks) {
    LibraryExports exports;
    exports.known = true;
    exports.path = "lib.so";
    for (const auto& row : Exports()) exports.names.insert(row.name);
    EXPECT_EQ(UsageText(&exports).find("not in this library"), std::string::npos);
    exports.names.erase("bWebGetPath4Sku");
    const std::string marked = UsageText(&exports);
    const std::size_t line = marked.find("\n  path-for-sku ");
    ASSERT_NE(line, std::string::npos);
    EXPECT_NE(marked.substr(line, marked.find('\n', line + 1) - line).find("[not in this library: bWebGetPath4Sku]"),
              std::string::npos);
    EXPECT_EQ(marked.find("not in this library", marked.find("\n  list ")), marked.find("not in this library", line));
    exports = LibraryExports();
    exports.reason = "cannot read x.so";
    const std::string unknown = UsageText(&exports);
    EXPECT_EQ(unknown.find("[not in this library"), std::string::npos);
    EXPECT_NE(unknown.find("Commands are not marked: cannot read x.so"), std::string::npos);
}

TEST(ToolText, WidthsFoldingAndPatterns) {
    EXPECT_EQ(DisplayWidth("Caf\xC3\xA9 \xE2\x82\xAC"), 6u);
    EXPECT_EQ(DisplayWidth(""), 0u);
    EXPECT_EQ(LibraryText("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_TRUE(IsValidUtf8("Caf\xC3\xA9"));
    for (const char* bad : {"\xE9", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xE2\x82"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    EXPECT_EQ(WordText("Caf\xC3\xA9"), "Caf\xC3\xA9");  // a UTF-8 word stays
    EXPECT_EQ(WordText("Caf\xE9"), "Caf\xC3\xA9");      // any other is code page 1252
    EXPECT_EQ(FoldCase("\xC3\x89T\xC3\x89 \xC5\xA0"), "\xC3\xA9t\xC3\xA9 \xC5\xA1");

    const struct {
        const char* pattern;
        const char* text;
        bool matches;
    } cases[] = {
        {"*", "", true},
        {"", "", true},
        {"", "x", false},
        {"scope*", "Scope \"Pro\"", true},
        {"*PRO*", "Scope \"Pro\"", true},
        {"s?ope*", "Scope", true},
        {"?", "\xC3\xA9", true},
        {"caf\xC3\x89", "Caf\xC3\xA9", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},
        {"*a", "banana", true},
        {"a", "aa", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesPattern(c.pattern, c.text), c.matches) << c.pattern << " " << c.text;
}

// Columns line up by characters: the é and € of the first row take one
// column each, though two and three bytes.
TEST(ToolText, TablesAlignByCharacters) {
    EXPECT_EQ(RenderTable({"A", "NAME", "Z"}, {{"1", "Caf\xC3\xA9 \xE2\x82\xAC", "x"}, {"22", "plain", "y"}}),
              "A   NAME    Z\n"
              "1   Caf\xC3\xA9 \xE2\x82\xAC  x\n"
              "22  plain   y\n");
    EXPECT_EQ(RenderTsv({"A", "B"}, {{"x\ty", "z"}}), "A\tB\nx y\tz\n");
    EXPECT_EQ(RenderKeyValues({{"k", "v"}, {"long", ""}}), "k:    v\nlong:\n");
}

TEST(ToolText, JsonNeverFailsOnBytesThatAreNoUtf8) {
    Json j = {{"name", std::string("bad \xE9")}};
    EXPECT_EQ(DumpJson(j), "{\"name\":\"bad \xEF\xBF\xBD\"}");
}

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The names --help reads without loading the library: the stand-in's exports,
// fewer in the reduced one, and nothing from bytes that are no such file.
TEST(ToolExportNames, ReadFromTheFileItself) {
    std::set<std::string> names;
    std::string reason;
    ASSERT_TRUE(LibraryExportNames(COMP_MGR_FAKE_LIBRARY_PATH, &names, &reason)) << reason;
    EXPECT_TRUE(names.count("InstallVNT"));
    EXPECT_TRUE(names.count("iGetCatalogCount"));
    std::set<std::string> reduced;
    ASSERT_TRUE(LibraryExportNames(COMP_MGR_FAKE_REDUCED_LIBRARY_PATH, &reduced, &reason)) << reason;
    EXPECT_TRUE(reduced.count("InstallVNT"));
    EXPECT_FALSE(reduced.count("iGetCatalogCount"));
    std::set<std::string> none;
    EXPECT_FALSE(LibraryExportNames("/nonexistent/lib.so", &none, &reason));
    EXPECT_NE(reason, "");

    const std::string file = FileBytes(COMP_MGR_FAKE_LIBRARY_PATH);
    ASSERT_GT(file.size(), 64u);
    for (std::size_t cut : {std::size_t(0), std::size_t(16), std::size_t(63), file.size() / 2}) {
        std::set<std::string> some;
        ElfExportNames(std::string_view(file).substr(0, cut), &some);  // must not read past the bytes
        EXPECT_FALSE(some.count("InstallVNT") && cut < 64) << cut;
    }
    std::string damaged = file;
    for (std::size_t i = 0x28; i < 0x40; ++i) damaged[i] = '\xFF';  // the section table's place and sizes
    std::set<std::string> some;
    EXPECT_FALSE(ElfExportNames(damaged, &some));
}

}  // namespace
}  // namespace comp_mgr_tool
