// why and doctor through the tool and the real library on throw-away roots:
// exit statuses, both output forms, agreement with bLinkPlugIns, and a
// doctor that leaves the catalog file as it found it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_test_support.h"

namespace {

using tool_test::ReadFile;
using tool_test::TempDir;
using tool_test::ToolRun;
using tool_test::WriteFile;

class ToolDiagnosis : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        Touch("Vantrel/bin/vn_app.exe");
    }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    void Touch(const std::string& relative) const { WriteFile(root() / "drive_c" / relative, "x"); }
    std::filesystem::path CatalogPath() const { return root() / "drive_c/Vantrel/db/vnt_Compdb.ini"; }
    ToolRun Run(std::vector<std::string> words) const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return tool_test::RunTool(words, "", {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}});
    }
    TempDir dir_;
};

// Two installations and three plug-ins whose pairs meet each rule; "\xE9" is
// e-acute in the catalog's code page.
const char kCatalog[] =
    "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nSdkVersion=3.0\r\nCpuSupport=alpha\r\n"
    "Status=16\r\nPlugInLst_GrpName=PlugIn_1\r\n\r\n"
    "[VntInstallation_2]\r\nProgLocation=C:\\B\\bin\\vn_app.exe\r\nSdkVersion=2.0\r\nCpuSupport=beta\r\nStatus="
    "16\r\n\r\n"
    "[PlugIn_1]\r\nProgLocation=C:\\P\\one.dll\r\nDisplayName=Sond\xE9\r\nSdkVersion=1.0\r\nCpuSupport=alpha2\r\n"
    "Status=16\r\n\r\n"
    "[PlugIn_2]\r\nProgLocation=C:\\P\\two.dll\r\nDisplayName=Sond\xE9\r\nSdkVersion=2.5\r\nCpuSupport=beta,alpha\r\n"
    "Status=16\r\n\r\n"
    "[PlugIn_3]\r\nProgLocation=C:\\P\\three.dll\r\nDisplayName=Trace\r\nSdkVersion=1.0\r\nCpuSupport=gamma\r\n"
    "Status=0\r\n\r\n";

TEST_F(ToolDiagnosis, WhyAgreesWithTheCheckModeOfbLinkPlugIns) {
    for (const char* file : {"B/bin/vn_app.exe", "P/one.dll", "P/two.dll", "P/three.dll"}) Touch(file);
    WriteFile(CatalogPath(), kCatalog);
    for (const char* installation : {"VntInstallation_1", "VntInstallation_2"}) {
        for (const char* plugIn : {"PlugIn_1", "PlugIn_2", "PlugIn_3"}) {
            SCOPED_TRACE(std::string(installation) + " " + plugIn);
            const ToolRun check = Run({"--no-save", "call", "bLinkPlugIns", installation, plugIn, "2"});
            const ToolRun why = Run({"--json", "why", installation, plugIn});
            EXPECT_EQ(why.status, 0) << why.err;
            const bool linkable = check.out == "bLinkPlugIns -> 1\n";
            EXPECT_NE(why.out.find(linkable ? "\"linkable\":true" : "\"linkable\":false"), std::string::npos)
                << check.out << why.out;
        }
    }
    // Asking saved nothing.
    EXPECT_EQ(ReadFile(CatalogPath()), kCatalog);
}

TEST_F(ToolDiagnosis, WhyTellsEachRuleAndExitsThreeForAnUnknownSection) {
    for (const char* file : {"B/bin/vn_app.exe", "P/one.dll", "P/two.dll", "P/three.dll"}) Touch(file);
    WriteFile(CatalogPath(), kCatalog);
    ToolRun r = Run({"why", "VntInstallation_1", "PlugIn_2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "sections: ok: VntInstallation_1 and PlugIn_2 are in the catalog\n"
              "record: ok: both carry status bit 0x10 (records made by the record writers)\n"
              "processors: ok: both list processors (CpuSupport)\n"
              "processor fit: ok: plug-in processor alpha contains installation processor alpha\n"
              "linked: ok: PlugIn_2 is not linked to VntInstallation_1 yet\n"
              "version: ok: the plug-in's SdkVersion 2.5 is not above the installation's 3.0\n"
              // The linked plug-in of the same name has no group, so no room can be made.
              "group: refused: PlugIn_1 belongs to no group, so it cannot be unlinked\n"
              "display name: refused: PlugIn_1, also named \"Sond\xC3\xA9\", is linked and cannot be unlinked to "
              "make room\n"
              "check: ok: bLinkPlugIns mode 2 answers 1\n"
              "link: refused: bLinkPlugIns mode 1 would answer 0\n");

    // A refused pair is still an answer.
    r = Run({"--json", "why", "VntInstallation_2", "PlugIn_3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"installation\":\"VntInstallation_2\",\"plugIn\":\"PlugIn_3\",\"linkable\":false,\"request\":\"link\","
              "\"requestAccepted\":false,\"rules\":[{\"rule\":\"sections\",\"ok\":true,\"reason\":\"VntInstallation_2 "
              "and PlugIn_3 are in the catalog\"},{\"rule\":\"record\",\"ok\":false,\"reason\":\"PlugIn_3 lacks status "
              "bit 0x10 (Status=0): only records made by the record writers are linked\"}]}\n");

    r = Run({"why", "VntInstallation_1", "PlugIn_9"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "comp_mgr: no section PlugIn_9\n");
    EXPECT_EQ(Run({"why", "VntInstallation_1"}).status, 2);
}

TEST_F(ToolDiagnosis, DoctorExitsThreeOnProblemsAndSavesNothing) {
    // A plug-in whose file is gone: the start-up drops it, doctor tells it and
    // the catalog file keeps it.
    const std::string catalog =
        "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nSdkVersion=3.0\r\nCpuSupport=alpha\r\n"
        "Status=16\r\nPlugInLst_GrpName=PlugIn_1\r\n\r\n"
        "[PlugIn_1]\r\nProgLocation=C:\\P\\gone.dll\r\nDisplayName=Gone\r\nCpuSupport=alpha\r\nStatus=16\r\n\r\n";
    WriteFile(CatalogPath(), catalog);
    ToolRun r = Run({"doctor"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.out.find("problem   missing-file    PlugIn_1  \"Gone\": its program file C:\\P\\gone.dll is gone"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1 problem, 1 note. Nothing was saved"), std::string::npos) << r.out;
    EXPECT_EQ(r.err,
              "comp_mgr: doctor found 1 problem\n"
              "comp_mgr: not saved: this run removed PlugIn_1 (C:\\P\\gone.dll: the file is gone); unlinked PlugIn_1 "
              "(its file is gone; no plug-in of its name to stand in) from VntInstallation_1\n");
    EXPECT_EQ(ReadFile(CatalogPath()), catalog);

    r = Run({"--json", "doctor"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("{\"problems\":1,\"notes\":1,\"saved\":false,\"findings\":[{\"severity\":\"problem\","
                         "\"kind\":\"missing-file\",\"section\":\"PlugIn_1\""),
              std::string::npos)
        << r.out;
    EXPECT_EQ(ReadFile(CatalogPath()), catalog);
}

TEST_F(ToolDiagnosis, DoctorOnAHealthyMachineExitsZero) {
    const std::string catalog =
        "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nSdkVersion=3.0\r\nStatus=16\r\n\r\n";
    WriteFile(CatalogPath(), catalog);
    WriteFile(root() / "drive_c/Vantrel/db/vnt_Compdb.bak", catalog);
    ToolRun r = Run({"doctor"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 problems, 0 notes. Nothing was saved: doctor calls bAbortDbUpdate, so what the start-up repaired "
              "stays unsaved.\n");
    EXPECT_EQ(Run({"doctor", "extra"}).status, 2);
}

}  // namespace
