// What people and scripts read from the tool: list's filters and orders,
// entries named by display name or path, the help without loading the
// library, and JSON of every command (valid UTF-8, one key style) from a
// catalog whose names are not ASCII.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tool_test_support.h"

namespace {

using tool_test::ReadFile;
using tool_test::RunTool;
using tool_test::TempDir;
using tool_test::ToolRun;
using tool_test::WriteFile;

class ToolOutputFake : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(dir_.path() / "machine" / "registry.reg", "REGEDIT4\r\n\r\n"); }
    ToolRun Run(std::vector<std::string> words, const std::string& library = COMP_MGR_FAKE_LIBRARY_PATH) {
        words.insert(words.begin(), {"--library", library});
        return RunTool(words, "", {{"COMP_MGR_FAKE_LOG", Log()}, {"VNT_ROOT", (dir_.path() / "machine").string()}});
    }
    std::string Log() const { return (dir_.path() / "calls.log").string(); }
    // The first column of each line after the header.
    static std::vector<std::string> Sections(const std::string& table) {
        std::vector<std::string> sections;
        std::size_t at = table.find('\n');
        while (at != std::string::npos && at + 1 < table.size()) {
            const std::size_t end = table.find_first_of(" \t\n", at + 1);
            sections.push_back(table.substr(at + 1, end - at - 1));
            at = table.find('\n', at + 1);
        }
        return sections;
    }
    TempDir dir_;
};

// The stand-in's catalog: VntInstallation_1 "Vantrel IDE" 3.0 status 0x11;
// PlugIn_1 "Scope "Pro"" 2.5 0x0B (found, new, pinned); PlugIn_2 "Viewer"
// 10.125 0x12 (new, not found).
TEST_F(ToolOutputFake, ListFiltersAndOrders) {
    using Names = std::vector<std::string>;
    const struct {
        std::vector<std::string> words;
        Names sections;
    } cases[] = {
        {{"list"}, {"VntInstallation_1", "PlugIn_1", "PlugIn_2"}},
        {{"list", "--name", "scope*"}, {"PlugIn_1"}},
        {{"list", "--name=*E*"}, {"VntInstallation_1", "PlugIn_1", "PlugIn_2"}},
        {{"list", "--name", "V?ewer"}, {"PlugIn_2"}},
        {{"list", "--status", "found"}, {"PlugIn_1"}},
        {{"list", "--status", "new"}, {"PlugIn_1", "PlugIn_2"}},
        {{"list", "--status", "missing"}, {"PlugIn_2"}},
        {{"list", "--status", "current"}, {"VntInstallation_1"}},
        {{"list", "plugins", "--status", "current"}, {}},
        {{"list", "--sort", "name"}, {"PlugIn_1", "VntInstallation_1", "PlugIn_2"}},
        {{"list", "--sort", "version"}, {"PlugIn_1", "VntInstallation_1", "PlugIn_2"}},
        {{"list", "--sort", "status"}, {"PlugIn_1", "VntInstallation_1", "PlugIn_2"}},
        {{"list", "--sort", "section", "plugins"}, {"PlugIn_1", "PlugIn_2"}},
        {{"list", "--format", "tsv", "--status", "new", "--sort", "version"}, {"PlugIn_1", "PlugIn_2"}},
    };
    for (const auto& c : cases) {
        ToolRun r = Run(c.words);
        const std::string label = c.words.back();
        EXPECT_EQ(r.status, 0) << label << r.err;
        EXPECT_EQ(Sections(r.out), c.sections) << label << "\n" << r.out;
    }
    ToolRun r = Run({"list", "--name", "nothing*"});
    EXPECT_EQ(r.out, "no entries match\n");
    r = Run({"list", "--format", "tsv", "plugins"});
    EXPECT_EQ(r.out,
              "SECTION\tDISPLAY NAME\tVERSION\tSTATUS\tLOCATION\n"
              "PlugIn_1\tScope \"Pro\"\t2.5\tfound,new,pinned 0xB\tC:\\P\\scope.dll\n"
              "PlugIn_2\tViewer\t10.125\tnew 0x12\tC:\\P\\viewer.ocx\n");
    // --format json is --json, filtered as the table.
    const ToolRun json = Run({"list", "--format", "json", "--status", "missing"});
    EXPECT_EQ(json.out,
              "{\"installations\":[],\"plugins\":[{\"section\":\"PlugIn_2\",\"displayName\":\"Viewer\",\"version\":"
              "\"10.125\",\"status\":18,\"statusWords\":[\"new\"],\"location\":\"C:\\\\P\\\\viewer.ocx\"}]}\n");
}

TEST_F(ToolOutputFake, EntriesNamedByDisplayNameOrPath) {
    const struct {
        std::vector<std::string> words;
        std::string section;
    } cases[] = {
        {{"show", "vantrel ide"}, "VntInstallation_1"},
        {{"show", "VANTREL IDE"}, "VntInstallation_1"},
        {{"show", "c:\\p\\viewer.ocx"}, "PlugIn_2"},
        {{"show", "plugin_2"}, "PlugIn_2"},
        {{"show", "Scope \"pro\""}, "PlugIn_1"},
        {{"links", "C:\\IDE\\BIN\\VN_APP.EXE"}, "PlugIn_1  Scope"},  // VntInstallation_1's links
    };
    for (const auto& c : cases) {
        ToolRun r = Run(c.words);
        EXPECT_EQ(r.status, 0) << c.words[1] << r.err;
        EXPECT_NE(r.out.find(c.section), std::string::npos) << c.words[1] << r.out;
    }
    // prepare and link pass the section to the library, however it was named.
    EXPECT_EQ(Run({"prepare", "Vantrel IDE"}).status, 0);
    EXPECT_EQ(Run({"link", "c:\\ide\\bin\\vn_app.exe", "viewer"}).status, 0);
    const std::string log = ReadFile(Log());
    EXPECT_NE(log.find("bPrepareVNT [VntInstallation_1]\n"), std::string::npos) << log;
    EXPECT_NE(log.find("bLinkPlugIns [VntInstallation_1] [PlugIn_2] 1\n"), std::string::npos) << log;
    // A plug-in's name does not name an installation: the word goes to the
    // library as it is, which refuses it.
    ToolRun r = Run({"prepare", "Viewer"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(ReadFile(Log()).find("bPrepareVNT [Viewer]\n"), std::string::npos);
    r = Run({"show", "Nobody"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "comp_mgr: no such section: Nobody\n");
}

// Help never loads the library: the stand-in's log stays empty. The marks
// name what the library lacks; a file that is no library leaves them out.
TEST_F(ToolOutputFake, HelpMarksWithoutLoading) {
    ToolRun r = Run({"--help"}, COMP_MGR_FAKE_REDUCED_LIBRARY_PATH);
    EXPECT_EQ(r.status, 0);
    const std::size_t list = r.out.find("\n  list ");
    ASSERT_NE(list, std::string::npos) << r.out;
    const std::string line = r.out.substr(list + 1, r.out.find('\n', list + 1) - list - 1);
    EXPECT_NE(line.find("[not in this library: iGetCatalogCount, bGetCatalogByNdx]"), std::string::npos) << line;
    EXPECT_EQ(r.out.find("  call EXPORT ARGS...               one raw call\n") != std::string::npos, true);
    r = Run({"--help"});
    EXPECT_EQ(r.out.find("list [installations|plugins]      section, display name, version, status, location\n") !=
                  std::string::npos,
              true)
        << r.out;
    EXPECT_NE(r.out.find("[not in this library: bWebGetPath4Sku]"), std::string::npos);  // the stand-in has no advisor
    WriteFile(dir_.path() / "junk.so", "not a library");
    r = Run({"--help"}, (dir_.path() / "junk.so").string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("[not in this library"), std::string::npos);
    EXPECT_NE(r.out.find("(Commands are not marked: " + (dir_.path() / "junk.so").string() +
                         " is not a shared library the tool can read.)"),
              std::string::npos)
        << r.out;
    for (const std::vector<std::string>& words : {std::vector<std::string>{"list", "--help"}, {"help", "web"}}) {
        r = Run(words);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("usage: comp_mgr " + words[words[0] == "help" ? 1 : 0], 0), 0u) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(Log()));
}

class ToolOutputMachine : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        for (const char* file : {"Ide/bin/vn_app.exe", "Old/bin/vn_app.exe", "P/scope.dll"})
            WriteFile(root() / "drive_c" / file, "x");
        // Names in code page 1252: "Café €" twice, "Zürich Ω"-like text with
        // bytes 0x80-0x9F, a group "Grüße".
        WriteFile(root() / "drive_c/Vantrel/db/vnt_Compdb.ini",
                  "[VntInstallation_1]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nDisplayName=Caf\xE9 \x80\r\n"
                  "SdkVersion=3.0\r\nCpuSupport=alpha\r\nStatus=16\r\nSku=PRO\r\nRegistration=R\xE9g\r\n\r\n"
                  "[VntInstallation_2]\r\nProgLocation=C:\\Old\\bin\\vn_app.exe\r\nDisplayName=Caf\xE9 \x80\r\n"
                  "SdkVersion=2.0\r\nCpuSupport=alpha\r\nStatus=16\r\n\r\n"
                  "[PlugIn_1]\r\nProgLocation=C:\\P\\scope.dll\r\nDisplayName=Z\xFCrich \x93Scope\x94\r\n"
                  "SdkVersion=2.5\r\nCpuSupport=alpha\r\nPlugInLst_GrpName=Gr\xFC\xDF"
                  "e\r\nStatus=16\r\n\r\n");
    }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    ToolRun Run(std::vector<std::string> words, const std::string& input = "") const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return RunTool(words, input, {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}});
    }
    TempDir dir_;
};

// Every key is lowerCamelCase, except the names a file gives its own values
// (the version strings), which are data.
void ExpectOneKeyStyle(const nlohmann::json& value, const std::string& where) {
    // lowerCamelCase: a lower-case letter, then letters and digits.
    const auto camel = [](const std::string& key) {
        if (key.empty() || key[0] < 'a' || key[0] > 'z') return false;
        for (char c : key) {
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
        }
        return true;
    };
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) {
            EXPECT_TRUE(camel(key)) << where << ": " << key;
            if (key != "strings") ExpectOneKeyStyle(member, where + "." + key);
        }
    } else if (value.is_array()) {
        for (const auto& item : value) ExpectOneKeyStyle(item, where);
    }
}

TEST_F(ToolOutputMachine, JsonOfEveryCommandIsUtf8WithOneKeyStyle) {
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"list", "plugins", "--sort", "name"},
        {"show", "VntInstallation_1"},
        {"show", "PlugIn_1"},
        {"show", "Caf\xC3\xA9 \xE2\x82\xAC"},  // ambiguous: two installations of that name
        {"show", "Nobody \xE9"},               // a word that is no UTF-8
        {"links", "VntInstallation_1"},
        {"key", "C:\\Ide\\bin\\vn_app.exe", "3.0"},
        {"key", "C:\\Nowhere\\vn_app.exe", "3.0"},
        {"flags"},
        {"link", "VntInstallation_1", "PlugIn_1", "check"},
        {"detect", "count"},
        {"prepare", "VntInstallation_1"},
        {"install", "C:\\Ide\\bin\\vn_app.exe", "abc", "alpha", "S", "N", "C:\\Ide", ""},
        {"update", "C:\\Ide\\bin\\vn_app.exe", "3.0", "PRO", "PRO2", "Caf\xC3\xA9"},
        {"web", "get", "VntInstallation_1"},
        {"web", "set", "VntInstallation_1", "0", "14", "h\xC3\xB6st", "apps"},
        {"path-for-sku", "PRO"},
        {"version", "C:\\P\\scope.dll"},
        {"unregister-all"},
        {"why", "VntInstallation_1", "PlugIn_1"},
        {"doctor"},
        {"backups"},
        {"restore"},  // no backup: refused, the reason in JSON too
        {"restore", "vnt_Compdb.ini"},
        {"call", "bGetCatalogByKey", "PlugIn_1"},
        {"call", "bGetCatalogByNdx", "0", "0", "64"},
    };
    bool sawCafe = false;
    for (auto words : commands) {
        words.insert(words.begin(), "--json");
        const ToolRun r = Run(words);
        const std::string label = words[1] + " " + (words.size() > 2 ? words[2] : "");
        EXPECT_NE(r.status, 2) << label << r.err;
        EXPECT_FALSE(r.out.empty()) << label << r.err;
        std::size_t start = 0;
        while (start < r.out.size()) {
            const std::size_t end = r.out.find('\n', start);
            const std::string line = r.out.substr(start, end - start);
            start = end == std::string::npos ? r.out.size() : end + 1;
            nlohmann::json parsed;
            ASSERT_NO_THROW(parsed = nlohmann::json::parse(line)) << label << ": " << line;
            ExpectOneKeyStyle(parsed, label);
            sawCafe = sawCafe || line.find("Caf\xC3\xA9 \xE2\x82\xAC") != std::string::npos;
        }
    }
    EXPECT_TRUE(sawCafe);
    const ToolRun script =
        Run({"--json", "exec", "-"}, "bGetCatalogByKey PlugIn_1\nbGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 64\n");
    ASSERT_EQ(script.status, 0) << script.err;
    const std::size_t cut = script.out.find('\n');
    const nlohmann::json entry = nlohmann::json::parse(script.out.substr(0, cut));
    EXPECT_EQ(entry["entry"]["displayName"], "Z\xC3\xBCrich \xE2\x80\x9CScope\xE2\x80\x9D");
    EXPECT_EQ(entry["entry"]["plugInList"][0].get<std::string>().rfind("Gr\xC3\xBC\xC3\x9F"
                                                                       "e",
                                                                       0),
              0u);
    EXPECT_EQ(nlohmann::json::parse(script.out.substr(cut + 1))["text"], "VntInstallation_1");
}

TEST_F(ToolOutputMachine, AmbiguousNamesListTheCandidates) {
    ToolRun r = Run({"-q", "show", "caf\xC3\x89 \xE2\x82\xAC"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "comp_mgr: \"caf\xC3\x89 \xE2\x82\xAC\" names 2 entries: VntInstallation_1 (Caf\xC3\xA9 \xE2\x82\xAC, "
              "C:\\Ide\\bin\\vn_app.exe), VntInstallation_2 (Caf\xC3\xA9 \xE2\x82\xAC, C:\\Old\\bin\\vn_app.exe); "
              "name one by its section\n");
    r = Run({"--json", "prepare", "Caf\xC3\xA9 \xE2\x82\xAC"});
    EXPECT_EQ(r.status, 3);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_TRUE(j["ambiguous"].get<bool>());
    EXPECT_EQ(j["candidates"].size(), 2u);
    // The path names one of them; the plug-in is found by its name in any case.
    r = Run({"prepare", "c:\\old\\BIN\\vn_app.exe"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("VntInstallation_2"), std::string::npos) << r.out;
    r = Run({"show",
             "z\xC3\x9C"
             "RICH \xE2\x80\x9Cscope\xE2\x80\x9D"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("section:"), 0u) << r.out;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')).substr(r.out.find("PlugIn_1")), "PlugIn_1") << r.out;
    // Columns stay aligned: each name is as wide as its characters.
    r = Run({"list", "plugins"});
    EXPECT_EQ(r.out,
              "SECTION   DISPLAY NAME    VERSION  STATUS  LOCATION\n"
              "PlugIn_1  Z\xC3\xBCrich \xE2\x80\x9CScope\xE2\x80\x9D  2.5      0x10    C:\\P\\scope.dll\n");
}

}  // namespace
