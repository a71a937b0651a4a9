// Writing vnt_Compdb.ini and VNTInstallEntry.ini: the layout byte for byte,
// the order of sections, the installation link row, the backup, and what
// happens when nothing changed or nothing can be written.
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

const char kHeaderText[] =
    ";---------------------------------------------------------------------------\r\n"
    "; Vantrel Component Manager database\r\n"
    ";---------------------------------------------------------------------------\r\n"
    ";NOTE:\r\n"
    "; IMPORTANT... DO NOT ALTER OR DELETE THIS FILE.\r\n"
    "; This file is maintained by Vantrel Component Management tool\r\n"
    ";\r\n"
    ";---------------------------------------------------------------------------\r\n"
    ";\r\n";

// The eleven fixed lines of an otherwise empty section.
std::string EmptyBody(const std::string& location, const std::string& sku = "") {
    return "DisplayName      =\r\nProgLocation     =" + location +
           "\r\nLastAccessDate   =\r\nStatus           =0\r\nSdkVersion       =1.0\r\nCpuSupport       =\r\n"
           "PlugInLst_GrpName=\r\nGroupDescription =\r\nHelpFile         =\r\nSku              =" +
           sku + "\r\n";
}

class CatalogSaveTest : public CatalogTest {
protected:
    std::string Saved() { return machine.files.Get(TestMachine::kDbPath); }
    // The lines of one section of the saved file (without the header line).
    std::string SectionText(const std::string& name) {
        std::string all = Saved();
        std::size_t start = all.find("[" + name + "]\r\n");
        if (start == std::string::npos) return "<missing>";
        start += name.size() + 4;
        return all.substr(start, all.find("\r\n\r\n", start) + 2 - start);
    }
    int SaveModified() {
        db->SetFlags(kFlagModified);
        return db->Save();
    }
};

TEST_F(CatalogSaveTest, LayoutByteForByte) {
    LoadFile(
        "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nDisplayName=Vantrel 4\r\n"
        "LastAccessDate=(I) Monday\r\nStatus=16\r\nSdkVersion=4.5\r\nCpuSupport=A,B\r\n"
        "PlugInLst_GrpName=PlugIn_2,PlugIn_1\r\nGroupDescription=g\r\nHelpFile=h.chm\r\nSku=STD,PRO\r\n"
        "[PlugIn_1]\r\nDisplayName=One\r\nSdkVersion=10.125\r\nPlugInLst_GrpName=G1, G2\r\nRegistration=R\r\n"
        "[PlugIn_2]\r\nDisplayName=Two\r\nSdkVersion=2.50\r\nAbcdefghijKlmnopqrst=20\r\n");
    ASSERT_EQ(SaveModified(), 1);
    const std::string expected = std::string(kHeaderText) +
                                 "[VntInstallation_1]\r\n"
                                 "DisplayName      =Vantrel 4\r\n"
                                 "ProgLocation     =C:\\Vantrel\\bin\\vn_app.exe\r\n"
                                 "LastAccessDate   =(I) Monday\r\n"
                                 "Status           =16\r\n"
                                 "SdkVersion       =4.5\r\n"
                                 "CpuSupport       =A,B\r\n"
                                 "PlugInLst_GrpName=PlugIn_1,PlugIn_2\r\n"
                                 "GroupDescription =g\r\n"
                                 "HelpFile         =h.chm\r\n"
                                 "Sku              =STD,PRO\r\n"
                                 "\r\n"
                                 "[PlugIn_1]\r\n"
                                 "DisplayName      =One\r\n"
                                 "ProgLocation     =\r\n"
                                 "LastAccessDate   =\r\n"
                                 "Status           =0\r\n"
                                 "SdkVersion       =10.125\r\n"
                                 "CpuSupport       =\r\n"
                                 "PlugInLst_GrpName=G1, G2\r\n"
                                 "GroupDescription =\r\n"
                                 "HelpFile         =\r\n"
                                 "Sku              =\r\n"
                                 "Registration     =R\r\n"
                                 "\r\n"
                                 "[PlugIn_2]\r\n"
                                 "DisplayName      =Two\r\n"
                                 "ProgLocation     =\r\n"
                                 "LastAccessDate   =\r\n"
                                 "Status           =0\r\n"
                                 "SdkVersion       =2.5\r\n"
                                 "CpuSupport       =\r\n"
                                 "PlugInLst_GrpName=\r\n"
                                 "GroupDescription =\r\n"
                                 "HelpFile         =\r\n"
                                 "Sku              =\r\n"
                                 "AbcdefghijKlmnopqrst=20\r\n"
                                 "\r\n";
    EXPECT_EQ(Saved(), expected);
}

TEST_F(CatalogSaveTest, ExtraPropertiesFollowTheMapOrder) {
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\nb=2\r\na=1\r\nc=3\r\nRegistration=r\r\n");
    ASSERT_EQ(SaveModified(), 1);
    std::string expectedTail;
    for (const auto& p : d.Entry("PlugIn_1")->extraProperties)
        expectedTail += p.key() + std::string(17 - p.key().size(), ' ') + "=" + p.value() + "\r\n";
    const std::string section = SectionText("PlugIn_1");
    EXPECT_EQ(section.substr(section.size() - expectedTail.size()), expectedTail);
}

TEST_F(CatalogSaveTest, SectionsComeOutInNumberOrderSkippingGapsAndOddNames) {
    LoadFile("[PlugIn_5]\r\nx=1\r\n[VntInstallation_3]\r\nx=1\r\n[PlugIn_07]\r\nx=1\r\n[PlugIn_2]\r\nx=1\r\n" +
             HostSection("VntInstallation_1") + "[Other]\r\nx=1\r\n[PlugIn_+4]\r\nx=1\r\n[PlugIn_ 6]\r\nx=1\r\n");
    ASSERT_EQ(SaveModified(), 1);
    std::string headers;
    const std::string all = Saved();
    for (std::size_t at = all.find("\r\n["); at != std::string::npos; at = all.find("\r\n[", at + 1))
        headers += all.substr(at + 2, all.find(']', at) - at - 1) + " ";
    EXPECT_EQ(headers, "[VntInstallation_1] [VntInstallation_3] [PlugIn_2] [PlugIn_5] ");
}

TEST_F(CatalogSaveTest, LargestSectionNumberIsWrittenWithoutWalkingToIt) {
    LoadFile(HostSection() + "[PlugIn_2147483647]\r\nDisplayName=top\r\n[PlugIn_3]\r\nDisplayName=three\r\n");
    ASSERT_EQ(SaveModified(), 1);
    const std::string all = Saved();
    std::size_t three = all.find("[PlugIn_3]");
    std::size_t top = all.find("[PlugIn_2147483647]");
    ASSERT_NE(three, std::string::npos);
    ASSERT_NE(top, std::string::npos);
    EXPECT_LT(three, top);
}

TEST_F(CatalogSaveTest, InstallationLinkRowKeepsOnlyPlugInNamesInNumberOrder) {
    LoadFile(
        "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n"
        "PlugInLst_GrpName=PlugIn_3,Bogus,PlugIn_1\r\n"
        "[VntInstallation_2]\r\nPlugInLst_GrpName=PlugIn_07,PlugIn_99,,PlugIn_2\r\n"
        "[VntInstallation_3]\r\nPlugInLst_GrpName=Bogus\r\n"
        "[PlugIn_4]\r\nx=1\r\n");
    ASSERT_EQ(SaveModified(), 1);
    auto linkRow = [&](const std::string& section) {
        std::string text = SectionText(section);
        std::size_t at = text.find("PlugInLst_GrpName=");
        return text.substr(at + 18, text.find("\r\n", at) - at - 18);
    };
    EXPECT_EQ(linkRow("VntInstallation_1"), "PlugIn_1,PlugIn_3");
    // Numbers above the highest plug-in number are never reached.
    EXPECT_EQ(linkRow("VntInstallation_2"), "PlugIn_2");
    EXPECT_EQ(linkRow("VntInstallation_3"), "");
}

TEST_F(CatalogSaveTest, PlugInLinkedTwiceInMemoryIsWrittenOnce) {
    LoadFile(
        "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nPlugInLst_GrpName=PlugIn_2,PlugIn_1\r\n"
        "[PlugIn_1]\r\nx=1\r\n[PlugIn_2]\r\nx=1\r\n");
    db->Entry("VntInstallation_1")->PlugInLst_GrpName.push_back("PlugIn_1");
    ASSERT_EQ(SaveModified(), 1);
    EXPECT_NE(SectionText("VntInstallation_1").find("PlugInLst_GrpName=PlugIn_1,PlugIn_2\r\n"), std::string::npos);
}

TEST_F(CatalogSaveTest, SdkVersionKeepsOneDecimalAtLeast) {
    LoadFile(HostSection() +
             "[PlugIn_1]\r\nSdkVersion=2.5\r\n[PlugIn_2]\r\nSdkVersion=10.125\r\n"
             "[PlugIn_3]\r\nSdkVersion=7\r\n[PlugIn_4]\r\nSdkVersion=3.1234567\r\n");
    ASSERT_EQ(SaveModified(), 1);
    EXPECT_NE(SectionText("VntInstallation_1").find("SdkVersion       =1.0\r\n"), std::string::npos);
    EXPECT_NE(SectionText("PlugIn_1").find("SdkVersion       =2.5\r\n"), std::string::npos);
    EXPECT_NE(SectionText("PlugIn_2").find("SdkVersion       =10.125\r\n"), std::string::npos);
    EXPECT_NE(SectionText("PlugIn_3").find("SdkVersion       =7.0\r\n"), std::string::npos);
    EXPECT_NE(SectionText("PlugIn_4").find("SdkVersion       =3.123457\r\n"), std::string::npos);
}

TEST_F(CatalogSaveTest, LineBreaksInsideValuesCannotForgeSections) {
    ComponentDatabase& d = LoadFile(HostSection());
    d.SetProperty("PlugIn_1", "DisplayName", "evil\r\n[PlugIn_9]\nProgLocation=C:\\x.dll");
    ASSERT_EQ(SaveModified(), 1);
    TestCatalog again(machine.platform);
    again.Load(nullptr);
    EXPECT_EQ(again.Entry("PlugIn_9"), nullptr);
    EXPECT_EQ(again.Entry("PlugIn_1")->DisplayName, "evil  [PlugIn_9] ProgLocation=C:\\x.dll");
}

TEST_F(CatalogSaveTest, UnchangedCatalogTouchesNoFile) {
    const std::string content = HostSection() + "[PlugIn_1]\r\nx=1\r\n";
    machine.files.Put(TestMachine::kBakPath, "old backup");
    ComponentDatabase& d = LoadFile(content);
    const std::uint32_t flags = d.flags();
    EXPECT_EQ(d.Save(), 0);
    EXPECT_EQ(Saved(), content);
    EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), "old backup");
    EXPECT_EQ(d.flags(), flags);
}

TEST_F(CatalogSaveTest, SaveKeepsThePreviousFileAsBackupAndUpdatesFlags) {
    const std::string content = HostSection() + "[PlugIn_1]\r\nx=1\r\n";
    machine.files.Put(TestMachine::kBakPath, "old backup");
    ComponentDatabase& d = LoadFile(content);
    d.SetFlags(kFlagModified | kFlagRecordCreated | kFlagLinksChanged);
    ASSERT_EQ(d.Save(), 1);
    EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), content);
    EXPECT_EQ(Saved().compare(0, sizeof(kHeaderText) - 1, kHeaderText), 0);
    EXPECT_EQ(d.flags(), kFlagOpened | kFlagLoaded | kFlagWritten | kFlagRecordCreated | kFlagLinksChanged);
    EXPECT_EQ(d.Save(), 0);  // nothing changed since
}

TEST_F(CatalogSaveTest, FailedReplaceLeavesBothFilesAndTheFlags) {
    const std::string content = HostSection() + "[PlugIn_1]\r\nx=1\r\n";
    machine.files.Put(TestMachine::kBakPath, "old backup");
    ComponentDatabase& d = LoadFile(content);
    d.SetProperty("PlugIn_1", "x", "2");
    d.SetFlags(kFlagModified | kFlagLinksChanged);
    const std::uint32_t flags = d.flags();
    machine.files.SetReadOnlyFolder(TestMachine::kDbFolder);
    EXPECT_EQ(d.Save(), 0);
    EXPECT_EQ(Saved(), content);
    EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), "old backup");
    EXPECT_EQ(d.flags(), flags);
    // Once the folder can be written again the change is not lost.
    machine.files.SetReadOnlyFolder(TestMachine::kDbFolder, false);
    EXPECT_EQ(d.Save(), 1);
    EXPECT_NE(SectionText("PlugIn_1").find("x                =2\r\n"), std::string::npos);
}

TEST_F(CatalogSaveTest, MissingDatabaseIsCreatedOnSave) {
    ComponentDatabase& d = LoadPresent();
    EXPECT_EQ(loadResult, 0);
    d.SetProperty("VntInstallation_1", "ProgLocation", "C:\\Vantrel\\bin\\vn_app.exe");
    d.SetFlags(kFlagModified);
    ASSERT_EQ(d.Save(), 1);
    EXPECT_EQ(Saved(), kHeaderText + std::string("[VntInstallation_1]\r\n") +
                           EmptyBody("C:\\Vantrel\\bin\\vn_app.exe") + "\r\n");
    EXPECT_FALSE(machine.files.Exists(TestMachine::kBakPath));
    EXPECT_NE(d.flags() & kFlagOpened, 0u);
}

TEST_F(CatalogSaveTest, NoDatabasePathMeansNoSave) {
    machine.registry.Clear();
    TestCatalog d(machine.platform);
    d.SetProperty("PlugIn_1", "x", "1");
    d.SetFlags(kFlagModified);
    EXPECT_EQ(d.Save(), 0);
    EXPECT_NE(d.flags() & kFlagModified, 0u);
}

TEST_F(CatalogSaveTest, SavedCatalogReadsBackTheSame) {
    std::string content = HostSection();
    for (int i = 1; i <= 300; ++i) {
        const std::string n = std::to_string(i);
        content += "[PlugIn_" + n + "]\r\nDisplayName=P" + n + "\r\nCpuSupport=A,B" + n +
                   "\r\nSdkVersion=" + std::to_string(1 + i % 7) + ".25\r\nStatus=" + std::to_string(i % 32) + "\r\nk" +
                   n + "=v\r\n";
    }
    ComponentDatabase& d = LoadFile(content);
    ASSERT_EQ(SaveModified(), 1);
    TestCatalog again(machine.platform);
    ASSERT_EQ(again.Load(nullptr), 1);
    ExpectSameCatalog(d, again);
}

// A large catalog is written in many pieces; none may be lost or doubled.
TEST_F(CatalogSaveTest, LargeCatalogComesOutWholeAndSavesAgainTheSame) {
    std::string content = HostSection();
    for (int i = 1; i <= 2000; ++i) {
        const std::string n = std::to_string(i);
        content += "[PlugIn_" + n + "]\r\nDisplayName=P" + n + "\r\nCpuSupport=A,B" + n + "\r\nk" + n + "=v\r\n";
        if (i == 1000) content += "Huge=" + std::string(200000, 'h') + "\r\n";
    }
    ComponentDatabase& d = LoadFile(content);
    ASSERT_EQ(SaveModified(), 1);
    const std::string first = Saved();
    ASSERT_GT(first.size(), 4u * 65536);
    std::size_t sections = 0;
    for (std::size_t at = first.find("\r\n[PlugIn_"); at != std::string::npos; at = first.find("\r\n[PlugIn_", at + 1))
        ++sections;
    EXPECT_EQ(sections, 2000u);

    TestCatalog again(machine.platform);
    ASSERT_EQ(again.Load(nullptr), 1);
    ExpectSameCatalog(d, again);
    ASSERT_NE(again.Entry("PlugIn_1000")->extraProperties.find("Huge"), nullptr);
    EXPECT_EQ(*again.Entry("PlugIn_1000")->extraProperties.find("Huge"), std::string(200000, 'h'));
    again.SetFlags(kFlagModified);
    ASSERT_EQ(again.Save(), 1);
    EXPECT_EQ(Saved(), first);
    EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), first);
}

TEST_F(CatalogSaveTest, InstallEntryHoldsOnlyTheHostsInstallations) {
    ComponentDatabase& d =
        LoadFile("[VntInstallation_2]\r\nProgLocation=D:\\Other\\vn_app.exe\r\n" + HostSection("VntInstallation_1") +
                 "[VntInstallation_3]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nSku=S\r\n"
                 "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n");
    const std::uint32_t flags = d.flags();
    d.WriteInstallEntry();
    EXPECT_EQ(machine.files.Get(TestMachine::kInstallEntryPath),
              "[VntInstallation_1]\r\n" + EmptyBody("C:\\Vantrel\\bin\\vn_app.exe") + "\r\n[VntInstallation_3]\r\n" +
                  EmptyBody("C:\\Vantrel\\bin\\vn_app.exe", "S") + "\r\n");
    EXPECT_EQ(d.flags(), flags);
    EXPECT_FALSE(machine.files.Exists("C:\\Vantrel\\bin\\VNTInstallEntry.bak"));
}

TEST_F(CatalogSaveTest, InstallEntryThatCannotBeWrittenIsSkipped) {
    ComponentDatabase& d = LoadFile(HostSection());
    machine.files.Put(TestMachine::kInstallEntryPath, "before");
    machine.files.SetReadOnlyFolder("C:\\Vantrel\\bin");
    d.WriteInstallEntry();
    EXPECT_EQ(machine.files.Get(TestMachine::kInstallEntryPath), "before");
}

TEST_F(CatalogSaveTest, WriteEntryRefusesAMissingEntry) {
    ComponentDatabase& d = LoadFile(HostSection());
    std::string out;
    EXPECT_EQ(d.WriteEntry(nullptr, "PlugIn_1", out), 0);
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
