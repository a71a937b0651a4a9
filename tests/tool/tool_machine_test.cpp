// The tool with the real library on throw-away machine roots: each run is one
// load and one unload, so what one run changes the next one reads from disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_test_support.h"

namespace {

using tool_test::ReadFile;
using tool_test::TempDir;
using tool_test::ToolRun;
using tool_test::WriteFile;

class ToolMachine : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        Touch("Vantrel/bin/vn_app.exe");
    }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    std::filesystem::path Drive(const std::string& relative) const { return root() / "drive_c" / relative; }
    void Touch(const std::string& relative) const { WriteFile(Drive(relative), "x"); }
    void Catalog(const std::string& ini) const { WriteFile(Drive("Vantrel/db/vnt_Compdb.ini"), ini); }
    std::string CatalogFile() const { return ReadFile(Drive("Vantrel/db/vnt_Compdb.ini")); }

    ToolRun Run(std::vector<std::string> words, const std::string& input = "") const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return tool_test::RunTool(words, input, {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}});
    }

    TempDir dir_;
};

const char* const kThreeInstallations =
    "[VntInstallation_1]\r\nProgLocation=C:\\A\\bin\\vn_app.exe\r\nSdkVersion=2.0\r\nCpuSupport=alpha\r\n"
    "Status=16\r\n\r\n"
    "[VntInstallation_2]\r\nProgLocation=C:\\B\\bin\\vn_app.exe\r\nSdkVersion=2.5\r\nCpuSupport=alpha\r\n"
    "Status=16\r\n\r\n"
    "[VntInstallation_3]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nDisplayName=Vantrel IDE\r\nSdkVersion=3.0\r\n"
    "CpuSupport=alpha,beta\r\nStatus=16\r\nRegistration=R1\r\n\r\n";

TEST_F(ToolMachine, ExampleOfTheRawCallFormat) {
    for (const char* exe : {"A/bin/vn_app.exe", "B/bin/vn_app.exe", "Ide/bin/vn_app.exe"}) Touch(exe);
    Catalog(kThreeInstallations);
    ToolRun r = Run({"exec", "-"}, "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 17\niGetCatalogCount 0\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "bGetKeyVNT -> 0 size=17 text=\"VntInstallation_3\" nul=no\niGetCatalogCount -> 3\n");
}

// The same calls with --json: one object per call, outputs under the names
// the line uses, the entry as an object, a call without a result as null.
TEST_F(ToolMachine, RawCallsAsJsonObjects) {
    for (const char* exe : {"A/bin/vn_app.exe", "B/bin/vn_app.exe", "Ide/bin/vn_app.exe"}) Touch(exe);
    Catalog(kThreeInstallations);
    ToolRun r = Run({"--json", "exec", "-"},
                    "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 17\nbGetDbUpdateFlag\n"
                    "bGetCatalogByKey VntInstallation_1\nvUnRegAllPlgN\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"export\":\"bGetKeyVNT\",\"result\":0,\"size\":17,\"text\":\"VntInstallation_3\",\"nul\":false}\n"
              "{\"export\":\"bGetDbUpdateFlag\",\"result\":0,\"changes\":4294954951}\n"
              "{\"export\":\"bGetCatalogByKey\",\"result\":1,\"entry\":{\"displayName\":\"\",\"location\":"
              "\"C:\\\\A\\\\bin\\\\vn_app.exe\",\"lastAccessDate\":\"\",\"status\":16,\"version\":\"2.0\","
              "\"cpuSupport\":[\"alpha\"],\"plugInList\":[],\"groupDescription\":\"\",\"helpFile\":\"\",\"sku\":\"\","
              "\"extraProperties\":[]}}\n"
              "{\"export\":\"vUnRegAllPlgN\",\"result\":null}\n");
}

TEST_F(ToolMachine, RawCallsAgainstTheCatalog) {
    for (const char* exe : {"A/bin/vn_app.exe", "B/bin/vn_app.exe", "Ide/bin/vn_app.exe"}) Touch(exe);
    Catalog(kThreeInstallations);
    ToolRun r = Run({"exec", "-"},
                    "bGetKeyVNT \"C:\\\\Ide\\\\bin\\\\vn_app.exe\" 3.0 18\n"  // doubled backslashes are reduced
                    "bGetKeyVNT NULL 3.0 17\n"
                    "bGetCatalogByNdx 0 2 17\n"
                    "bGetCatalogByNdx 0 3 64\n"
                    "bGetCatalogByNdx 0 -1 64\n"
                    "bGetCatalogByKey vntinstallation_3\n"
                    "bGetCatalogByKey NULL NULLADDR\n"
                    "iGetCatalogCount 2\n"
                    "bGetDbUpdateFlag\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "bGetKeyVNT -> 1 size=17 text=\"VntInstallation_3\" nul=yes\n"
              "bGetKeyVNT -> 0 size=17 text=\"\" nul=yes\n"
              "bGetCatalogByNdx -> 0 size=17 text=\"VntInstallation_3\" nul=no\n"
              "  DisplayName=Vantrel IDE\n"
              "  ProgLocation=C:\\Ide\\bin\\vn_app.exe\n"
              "  LastAccessDate=\n"
              "  Status=16\n"
              "  SdkVersion=3.0\n"
              "  CpuSupport=alpha|beta\n"
              "  PlugInLst_GrpName=\n"
              "  GroupDescription=\n"
              "  HelpFile=\n"
              "  Sku=\n"
              "  extra:Registration=R1\n"
              "bGetCatalogByNdx -> 0 size=64 text=\"\" nul=yes\n"
              "bGetCatalogByNdx -> 0 size=64 text=\"\" nul=yes\n"
              "bGetCatalogByKey -> 0\n"
              "bGetCatalogByKey -> 0\n"
              "iGetCatalogCount -> -1\n"
              "bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7\n");
}

TEST_F(ToolMachine, InstallIsReadBackByTheNextRuns) {
    Touch("Ide/bin/vn_app.exe");
    Catalog("");
    ToolRun r = Run({"install", "C:\\Ide\\bin\\vn_app.exe", "3.0", "alpha", "S1", "Vantrel IDE", "C:\\Ide", "R1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "result:  recorded\nsection: VntInstallation_1\n");

    r = Run({"list", "installations"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "SECTION            DISPLAY NAME  VERSION  STATUS        LOCATION\n"
              "VntInstallation_1  Vantrel IDE   3.0      current 0x11  C:\\Ide\\bin\\vn_app.exe\n");

    r = Run({"show", "VntInstallation_1"});
    EXPECT_NE(r.out.find("LastAccessDate:     (I) Monday, December 04, 2006 15:04:33\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Sku:                S1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("extra Registration: R1\n"), std::string::npos) << r.out;

    r = Run({"--json", "key", "C:\\IDE\\bin\\VN_APP.exe", "1.5"});
    EXPECT_EQ(r.out, "{\"location\":\"C:\\\\IDE\\\\bin\\\\VN_APP.exe\",\"section\":\"VntInstallation_1\"}\n");
    r = Run({"key", "C:\\Other\\vn_app.exe", "3.0"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "comp_mgr: no installation of version 3.0 at C:\\Other\\vn_app.exe\n");
}

TEST_F(ToolMachine, DryRunLeavesTheFilesAsTheyWere) {
    Touch("Ide/bin/vn_app.exe");
    Catalog(kThreeInstallations);
    Touch("A/bin/vn_app.exe");
    Touch("B/bin/vn_app.exe");
    const std::string before = CatalogFile();
    ToolRun r = Run({"--dry-run", "install", "C:\\New\\vn_app.exe", "3.0", "alpha", "S", "New", "C:\\New", ""});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "result:  recorded\nsection: VntInstallation_4\n");
    EXPECT_EQ(CatalogFile(), before);
    EXPECT_FALSE(std::filesystem::exists(Drive("Vantrel/db/vnt_Compdb.bak")));
    EXPECT_FALSE(std::filesystem::exists(root() / "log"));  // not even the event log
    // What the run did on the copy is what it would do.
    EXPECT_NE(r.err.find("comp_mgr: dry run: this run added VntInstallation_4 (C:\\New\\vn_app.exe)"),
              std::string::npos)
        << r.err;
    for (const char* line : {"would change:\n", "\n  + drive_c/Vantrel/db/vnt_Compdb.bak\n",
                             "\n  ~ drive_c/Vantrel/db/vnt_Compdb.ini\n", "\n      + [VntInstallation_4]\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
    r = Run({"call", "iGetCatalogCount", "0"});
    EXPECT_EQ(r.out, "iGetCatalogCount -> 3\n");
}

// A catalog overwritten with junk: the run says so on standard error, and
// its save leaves the good backup where it was, with the damaged file and a
// copy of the backup under dated names.
TEST_F(ToolMachine, ADamagedCatalogKeepsTheGoodBackup) {
    const std::string damaged[] = {
        std::string("\x9c\xf1Z\x03q\xee\x81=\x02", 9), std::string(512, '\0'),
        ";---------------------------------------------------------------------------\r\n; Vantrel Comp"};
    Touch("New/vn_app.exe");
    for (const std::string& junk : damaged) {
        SCOPED_TRACE(junk.size());
        std::filesystem::remove_all(Drive("Vantrel/db"));
        WriteFile(Drive("Vantrel/db/vnt_Compdb.bak"), kThreeInstallations);
        Catalog(junk);
        ToolRun r = Run({"install", "C:\\New\\vn_app.exe", "3.0", "alpha", "S", "New", "C:\\New", ""});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("comp_mgr: warning: the database file C:\\Vantrel\\db\\vnt_Compdb.ini could not be read"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("held no section"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(Drive("Vantrel/db/vnt_Compdb.bak")), kThreeInstallations);
        EXPECT_EQ(ReadFile(Drive("Vantrel/db/vnt_Compdb.damaged-20061204-150433.ini")), junk);
        EXPECT_EQ(ReadFile(Drive("Vantrel/db/vnt_Compdb.20061204-150433.ini")), kThreeInstallations);
        EXPECT_NE(CatalogFile().find("C:\\New\\vn_app.exe"), std::string::npos);

        // Listed, then the good backup put back, this run's catalog kept aside.
        r = Run({"-q", "backups"});
        EXPECT_EQ(r.status, 0) << r.err;
        for (const char* line :
             {"catalog  C:\\Vantrel\\db\\vnt_Compdb.ini ", "backup   C:\\Vantrel\\db\\vnt_Compdb.bak  ",
              "kept     C:\\Vantrel\\db\\vnt_Compdb.20061204-150433.ini  ",
              "damaged  C:\\Vantrel\\db\\vnt_Compdb.damaged-20061204-150433.ini  "})
            EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
        const std::string installed = CatalogFile();
        r = Run({"-q", "restore"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("changed  VntInstallation_1  differs in DisplayName,ProgLocation,LastAccessDate,Status,"
                             "SdkVersion,PlugInLst_GrpName,GroupDescription,HelpFile,Sku,Registration"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("added    VntInstallation_2  only in the copy"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("3 sections would change."), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("the catalog it replaced was kept as C:\\Vantrel\\db\\vnt_Compdb.20061204-150433-2.ini"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(CatalogFile(), kThreeInstallations);  // the unload saved nothing over it
        EXPECT_EQ(ReadFile(Drive("Vantrel/db/vnt_Compdb.20061204-150433-2.ini")), installed);
    }
}

// What restore refuses, and what it leaves when there is nothing to do.
TEST_F(ToolMachine, RestoreRefusesWhatWouldLoseTheCatalog) {
    for (const char* exe : {"A/bin/vn_app.exe", "B/bin/vn_app.exe", "Ide/bin/vn_app.exe"}) Touch(exe);
    Catalog(kThreeInstallations);
    WriteFile(Drive("Vantrel/db/vnt_Compdb.bak"), kThreeInstallations);
    WriteFile(Drive("Vantrel/db/junk.ini"), std::string(64, '\0'));
    const struct {
        std::vector<std::string> words;
        int status;
        const char* said;  // on standard error (refused) or standard output
    } cases[] = {
        {{"restore"}, 0, "already equals C:\\Vantrel\\db\\vnt_Compdb.bak; nothing was changed"},
        {{"restore", "junk.ini"}, 3, "junk.ini holds no section; putting it back would empty the catalog"},
        {{"restore", "none.ini"}, 3, "comp_mgr: C:\\Vantrel\\db\\none.ini cannot be read"},
        {{"restore", "vnt_Compdb.ini"}, 3, "is the catalog itself"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = c.words;
        words.insert(words.begin(), "-q");
        ToolRun r = Run(words);
        EXPECT_EQ(r.status, c.status) << c.said << "\n" << r.err;
        EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.said), std::string::npos) << r.out << r.err;
        EXPECT_EQ(CatalogFile(), kThreeInstallations);
    }
    EXPECT_FALSE(std::filesystem::exists(Drive("Vantrel/db/vnt_Compdb.20061204-150433.ini")));
}

TEST_F(ToolMachine, LinksMadeInOneRunAreListedInTheNext) {
    Touch("Ide/bin/vn_app.exe");
    Touch("Plug/scope.dll");
    Catalog(
        "[VntInstallation_1]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nDisplayName=Ide\r\nSdkVersion=3.0\r\n"
        "CpuSupport=alpha\r\nStatus=16\r\n\r\n"
        "[PlugIn_1]\r\nProgLocation=C:\\Plug\\scope.dll\r\nDisplayName=Scope\r\nSdkVersion=2.5\r\n"
        "CpuSupport=alpha\r\nPlugInLst_GrpName=Scopes\r\nStatus=24\r\n\r\n");
    ToolRun r = Run({"links", "VntInstallation_1"});
    EXPECT_EQ(r.out, "no plug-ins linked to VntInstallation_1\n");

    r = Run({"exec", "-"},
            "bLinkPlugIns VntInstallation_1 PlugIn_1 1\nbGetDbUpdateFlag\nbLinkPlugIns VntInstallation_1 PlugIn_1 1\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "bLinkPlugIns -> 1\nbGetDbUpdateFlag -> 1 changes=0x00000800\nbLinkPlugIns -> 0\n");

    r = Run({"links", "VntInstallation_1"});
    EXPECT_EQ(r.out, "SECTION   DISPLAY NAME  VERSION\nPlugIn_1  Scope         2.5\n");
    r = Run({"list", "plugins"});
    EXPECT_EQ(r.out,
              "SECTION   DISPLAY NAME  VERSION  STATUS       LOCATION\n"
              "PlugIn_1  Scope         2.5      pinned 0x18  C:\\Plug\\scope.dll\n");
    // A pinned plug-in is never unlinked.
    r = Run({"link", "VntInstallation_1", "PlugIn_1", "unlink"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("refused to unlink"), std::string::npos) << r.err;
    r = Run({"flags"});
    EXPECT_EQ(r.out, "modified: no\n");
}

// What does not exist and what the library refuses: exit 3, the reason on
// standard error and nothing on standard output (JSON still answers).
TEST_F(ToolMachine, RefusalsAndMissingSectionsExit3WithTheReason) {
    Touch("Ide/bin/vn_app.exe");
    Catalog(kThreeInstallations);
    const struct {
        std::vector<std::string> words;
        const char* reason;
    } cases[] = {
        {{"show", "PlugIn_9"}, "no such section: PlugIn_9"},
        {{"links", "PlugIn_9"}, "no such section: PlugIn_9"},
        {{"prepare", "PlugIn_9"}, "bPrepareVNT refused: PlugIn_9 is not an installation of the catalog"},
        {{"key", "C:\\Nowhere\\vn_app.exe", "3.0"}, "no installation of version 3.0 at C:\\Nowhere\\vn_app.exe"},
        {{"setup", "C:\\Nowhere\\vn_app.exe", "3.0"},
         "bSetupVNT refused: no installation of version 3.0 at C:\\Nowhere\\vn_app.exe (the class keys and the "
         "tool versions report were still done)"},
        {{"link", "VntInstallation_1", "PlugIn_9"}, "bLinkPlugIns refused to link PlugIn_9 and VntInstallation_1"},
        {{"install", "C:\\Ide\\bin\\vn_app.exe", "abc", "alpha", "S", "N", "C:\\Ide", ""},
         "bInstallVNT did not record C:\\Ide\\bin\\vn_app.exe (version abc)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> quiet = c.words;
        quiet.insert(quiet.begin(), "-q");  // the refusal alone, without the summary of the run
        ToolRun r = Run(quiet);
        EXPECT_EQ(r.status, 3) << c.words[0];
        EXPECT_EQ(r.out, "") << c.words[0];
        EXPECT_EQ(r.err, std::string("comp_mgr: ") + c.reason + "\n");
    }
    std::vector<std::string> json = {"--json", "show", "PlugIn_9"};
    ToolRun r = Run(json);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "{\"section\":\"PlugIn_9\",\"found\":false}\n");
    // Only the installation whose program exists is left, renumbered.
    EXPECT_EQ(Run({"show", "VntInstallation_1"}).status, 0);
}

// A root that is not a machine is refused before the library loads, and
// nothing is created there; init makes one the library can use at once.
TEST_F(ToolMachine, MachineRootsAreRefusedUntilInitMakesOne) {
    const std::string fresh = (dir_.path() / "fresh").string();
    for (const std::string& root : {fresh, dir_.path().string()}) {
        ToolRun r = tool_test::RunTool({"--library", COMP_MGR_LIBRARY_PATH, "--root", root, "list"});
        EXPECT_EQ(r.status, 1) << root;
        EXPECT_NE(r.err.find("no machine at " + root), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));

    ToolRun r = tool_test::RunTool({"--root", fresh, "init"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = tool_test::RunTool({"--root", fresh, "init"});
    EXPECT_EQ(r.status, 3);  // never over an existing machine
    r = tool_test::RunTool({"--library", COMP_MGR_LIBRARY_PATH, "--root", fresh, "--ui", "none", "install",
                            "C:\\Vantrel\\bin\\vn_app.exe", "3.0", "KX32", "VNT", "Vantrel IDE", "C:\\Vantrel", ""},
                           "", {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadFile(std::filesystem::path(fresh) / "drive_c/Vantrel/db/vnt_Compdb.ini").find("[VntInstallation_1]"),
              std::string::npos);
}

// Null pointers, empty texts, versions that are no numbers, modes and indexes
// out of range, and zero and large capacities, through every export: each is
// refused or answered safely, and the catalog loses nothing.
TEST_F(ToolMachine, NullAndExtremeArgumentsToEveryExport) {
    Touch("Ide/bin/vn_app.exe");
    Catalog(
        "[VntInstallation_1]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nDisplayName=Vantrel IDE\r\n"
        "SdkVersion=3.0\r\nCpuSupport=alpha\r\nStatus=16\r\nSku=A,B\r\n");
    ToolRun r = Run({"exec", "-"},
                    "InstallVNT\n"
                    "bInstallVNT NULL NULL NULL NULL NULL NULL NULL\n"
                    "bInstallVNT \"\" \"\" \"\" \"\" \"\" \"\" \"\"\n"
                    "bInstallVNT \"C:\\New\\vn_app.exe\" nan alpha A N F R\n"
                    "bInstallVNT \"C:\\New\\vn_app.exe\" 1e400 alpha A N F R\n"
                    "bInstallVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 alpha A \"Vantrel IDE\" NULL NULL\n"
                    "bUpdateVNT NULL NULL NULL NULL NULL\n"
                    "bUpdateVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 NULL B NULL\n"
                    "bUpdateVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 B C NULL\n"
                    "bGetKeyVNT NULL NULL 260\n"
                    "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" inf 260\n"
                    "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 0\n"
                    "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 16777216\n"
                    "bPrepareVNT NULL\n"
                    "bPrepareVNT \"\"\n"
                    "bPrepareVNT vntinstallation_1\n"
                    "bLinkPlugIns NULL NULL 1\n"
                    "bLinkPlugIns VntInstallation_1 PlugIn_99 1\n"
                    "bLinkPlugIns VntInstallation_1 VntInstallation_1 2147483647\n"
                    "iDetectNewPlugIns -2147483648\n"
                    "iGetCatalogCount -1\n"
                    "bGetCatalogByNdx 0 2147483647 0\n"
                    "bGetCatalogByNdx 1 0 16777216\n"
                    "bGetCatalogByNdx 0 0 16 NULLENTRY\n"
                    "bGetCatalogByKey \"\" NULLENTRY\n"
                    "bGetDbUpdateFlag\n"
                    "vUnRegAllPlgN\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "InstallVNT -> 0\n"
              "bInstallVNT -> 0\n"
              "bInstallVNT -> 0\n"
              "bInstallVNT -> 0\n"
              "bInstallVNT -> 0\n"
              "bInstallVNT -> 1\n"
              "bUpdateVNT -> 0\n"
              "bUpdateVNT -> 0\n"
              "bUpdateVNT -> 1\n"
              "bGetKeyVNT -> 0 size=260 text=\"\" nul=yes\n"
              "bGetKeyVNT -> 0 size=260 text=\"\" nul=yes\n"
              "bGetKeyVNT -> 0 size=0 text=\"\" nul=no\n"
              "bGetKeyVNT -> 1 size=17 text=\"VntInstallation_1\" nul=yes\n"
              "bPrepareVNT -> 0\n"
              "bPrepareVNT -> 0\n"
              "bPrepareVNT -> 0\n"
              "bLinkPlugIns -> 0\n"
              "bLinkPlugIns -> 0\n"
              "bLinkPlugIns -> 0\n"
              "iDetectNewPlugIns -> 0\n"
              "iGetCatalogCount -> -1\n"
              "bGetCatalogByNdx -> 0 size=0 text=\"\" nul=no\n"
              "bGetCatalogByNdx -> 0 size=16777216 text=\"\" nul=yes\n"
              "bGetCatalogByNdx -> 0 size=16 text=\"\" nul=yes\n"
              "bGetCatalogByKey -> 0\n"
              "bGetDbUpdateFlag -> 1 changes=0x00000800\n"
              "vUnRegAllPlgN -> -\n");
    const std::string saved = CatalogFile();
    EXPECT_NE(saved.find("[VntInstallation_1]\r\nDisplayName      =Vantrel IDE\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Sku              =A,C\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("[VntInstallation_2]"), std::string::npos) << saved;
}

// Names are stored in code page 1252; people read UTF-8, aligned by
// character, and JSON carries the same keys in every command.
TEST_F(ToolMachine, NonAsciiNamesReachTextAndJsonAsUtf8) {
    Touch("Ide/bin/vn_app.exe");
    Catalog(
        "[VntInstallation_1]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nDisplayName=Caf\xE9 \x80\r\n"
        "SdkVersion=3.0\r\nCpuSupport=alpha\r\nStatus=16\r\n\r\n");
    ToolRun r = Run({"list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "SECTION            DISPLAY NAME  VERSION  STATUS  LOCATION\n"
              "VntInstallation_1  Caf\xC3\xA9 \xE2\x82\xAC        3.0      0x10    C:\\Ide\\bin\\vn_app.exe\n");
    r = Run({"--json", "list"});
    EXPECT_NE(r.out.find("\"displayName\":\"Caf\xC3\xA9 \xE2\x82\xAC\""), std::string::npos) << r.out;
    r = Run({"--json", "show", "VntInstallation_1"});
    EXPECT_NE(r.out.find("\"displayName\":\"Caf\xC3\xA9 \xE2\x82\xAC\",\"location\":\"C:\\\\Ide"), std::string::npos)
        << r.out;
}

// The advisor's commands for people, each run one load: what a run stores the
// next one reads, and words the tool can check are refused before loading.
TEST_F(ToolMachine, WebCommandsKeepTheSettingsAcrossRuns) {
    Touch("Ide/bin/vn_app.exe");
    Catalog(
        "[VntInstallation_1]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\nSdkVersion=3.0\r\nSku=PRO\r\n"
        "Registration=R1\r\n");
    ToolRun r = Run({"web", "set", "VntInstallation_1", "0", "14", "host.test", "apps/x"});
    EXPECT_EQ(r.out, "section: VntInstallation_1\nresult:  set\n") << r.err;
    r = Run({"web", "get", "VntInstallation_1"});
    EXPECT_EQ(r.out,
              "section:    VntInstallation_1\nautoLaunch: 0\nfrequency:  14\nurlBase:    host.test\n"
              "urlSection: apps/x\n");
    r = Run({"web", "startup", "VntInstallation_1"});  // mode 0: no reminder (disabled), the page opens
    EXPECT_EQ(r.out, "section: VntInstallation_1\nmode:    remind (0)\nresult:  1\n");
    EXPECT_EQ(ReadFile(root() / "log" / "open.log"),
              "open|https://host.test/apps/x/register.asp?PR=R1&PID=Vantrel&PI=PRO&tools=PRO|ok\n");
    EXPECT_NE(CatalogFile().find("AutoLaunch       =TRUE\r\n"), std::string::npos);  // re-enabled by the start-up
    r = Run({"path-for-sku", "PRO"});
    EXPECT_EQ(r.out, "folder: C:\\Ide\\bin\\\n");
    r = Run({"path-for-sku", "NONE"});
    EXPECT_EQ(r.out, "no installation lists NONE\n");
    r = Run({"web", "get", "VntInstallation_9"});
    EXPECT_EQ(r.out, "section: VntInstallation_9\nresult:  refused (no installation of that section)\n");

    for (const std::vector<std::string>& words : {std::vector<std::string>{"web", "fly"},
                                                  {"web", "startup"},
                                                  {"web", "startup", "S", "often"},
                                                  {"web", "set", "S", "1", "x", "h", "s"},
                                                  {"web", "set", "S", "1", "99999999999", "h", "s"},
                                                  {"web", "register", "extra"},
                                                  {"web"}}) {
        r = Run(words);
        EXPECT_EQ(r.status, 2) << words.back();
        EXPECT_TRUE(r.out.empty()) << words.back();
    }
}

}  // namespace
