// Finding, opening and reading vnt_Compdb.ini: the path from the registry,
// the open error, the line grammar and input that is not a catalog at all.
#include <string>

#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

using CatalogLoadTest = CatalogTest;

const char kOpenError[] =
    "Error opening Component Manager INI file - path in registry is missing or incorrect.\n"
    "Path: \"%s\".\nVantrel will attempt to use the last set of plug-ins that were run.";

std::string OpenErrorFor(const std::string& path) {
    std::string text = kOpenError;
    return text.replace(text.find("%s"), 2, path);
}

const std::string& Extra(const ComponentDatabase& d, const std::string& section, const std::string& key) {
    static const std::string kMissing = "<missing>";
    const CatalogEntry* e = d.Entry(section);
    if (!e) return kMissing;
    const std::string* v = e->extraProperties.find(key);
    return v ? *v : kMissing;
}

TEST_F(CatalogLoadTest, DatabasePathCollapsesDoubledBackslashesAndAlwaysAddsOne) {
    machine.SetDatabaseFolder("C:\\A\\\\B");
    TestCatalog a(machine.platform);
    EXPECT_EQ(a.iniPath(), "C:\\A\\B\\vnt_Compdb.ini");
    machine.SetDatabaseFolder("C:\\A\\");
    TestCatalog b(machine.platform);
    EXPECT_EQ(b.iniPath(), "C:\\A\\\\vnt_Compdb.ini");
}

TEST_F(CatalogLoadTest, FileThatCannotBeOpenedIsReportedAndLeavesTheCatalogEmpty) {
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_5"));
    ComponentDatabase& d = LoadPresent();  // no vnt_Compdb.ini
    ASSERT_EQ(machine.ui.messages.size(), 1u);
    EXPECT_EQ(machine.ui.messages[0].first, "comp_mgr");
    EXPECT_EQ(machine.ui.messages[0].second, OpenErrorFor(TestMachine::kDbPath));
    EXPECT_EQ(loadResult, 0);
    EXPECT_EQ(d.flags(), 0u);
    EXPECT_TRUE(d.entries().empty());  // no recovery either
    EXPECT_TRUE(pendingMessage.empty());
}

TEST_F(CatalogLoadTest, MissingRegistryValueReportsAnEmptyPath) {
    machine.registry.Clear();
    TestCatalog d(machine.platform);
    EXPECT_TRUE(d.iniPath().empty());
    EXPECT_EQ(d.LocateDatabaseFile(), 0);
    ASSERT_EQ(machine.ui.messages.size(), 1u);
    EXPECT_EQ(machine.ui.messages[0].second, OpenErrorFor(""));
}

TEST_F(CatalogLoadTest, NonTextRegistryValueNamesNoFolder) {
    machine.registry.SetDword(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", 7);
    TestCatalog d(machine.platform);
    EXPECT_TRUE(d.iniPath().empty());
}

TEST_F(CatalogLoadTest, UnreadableFileIsReportedOnceAndOpenIsRememberedOnSuccess) {
    machine.files.Put(TestMachine::kDbPath, HostSection());
    machine.files.SetUnreadable(TestMachine::kDbPath);
    TestCatalog bad(machine.platform);
    EXPECT_EQ(bad.flags() & kFlagOpened, 0u);
    EXPECT_EQ(machine.ui.messages.size(), 1u);

    machine.files.SetUnreadable(TestMachine::kDbPath, false);
    ComponentDatabase& d = LoadPresent();
    EXPECT_EQ(d.flags(), kFlagOpened | kFlagLoaded);
    EXPECT_EQ(d.OpenDatabaseFile(), 1);
    EXPECT_EQ(d.Load(nullptr), 1);  // a second load changes nothing
    EXPECT_EQ(d.entries().size(), 1u);
}

TEST_F(CatalogLoadTest, CommentsAndBlankLines) {
    ComponentDatabase& d =
        LoadFile(HostSection() + "[PlugIn_1]\r\n  ;x=1\r\n\t#y=2\r\n   \r\n\r\nz=1 ; note\r\nw=#1\r\n");
    EXPECT_EQ(Extra(d, "PlugIn_1", "x"), "<missing>");
    EXPECT_EQ(Extra(d, "PlugIn_1", "y"), "<missing>");
    EXPECT_EQ(Extra(d, "PlugIn_1", "z"), "1 ; note");
    EXPECT_EQ(Extra(d, "PlugIn_1", "w"), "#1");
}

TEST_F(CatalogLoadTest, HeadersDropEveryBracketAndTrim) {
    ComponentDatabase& d =
        LoadFile(HostSection() + "[ PlugIn_4 ]\r\na=1\r\n[Plug[In]_4]\r\nb=2\r\n[PlugIn_5] tail\r\nc=3\r\n");
    EXPECT_EQ(Extra(d, "PlugIn_4", "a"), "1");
    EXPECT_EQ(Extra(d, "PlugIn_4", "b"), "2");
    EXPECT_EQ(Extra(d, "PlugIn_5 tail", "c"), "3");
    EXPECT_EQ(d.CountByKind(kKindPlugIn), 2);
}

TEST_F(CatalogLoadTest, PropertyLinesSplitAtTheFirstEqualsSign) {
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\n  Key  =  Value  \r\nLonely\r\n=v\r\nk=a=b\r\n");
    EXPECT_EQ(Extra(d, "PlugIn_1", "Key"), "Value");
    EXPECT_EQ(Extra(d, "PlugIn_1", "Lonely"), "<missing>");
    EXPECT_EQ(Extra(d, "PlugIn_1", ""), "v");
    EXPECT_EQ(Extra(d, "PlugIn_1", "k"), "a=b");
}

TEST_F(CatalogLoadTest, KeysBeforeTheFirstHeaderBelongToTheEmptySection) {
    ComponentDatabase& d = LoadFile("orphan=1\r\n" + HostSection());
    EXPECT_EQ(Extra(d, "", "orphan"), "1");
    EXPECT_EQ(d.CountByKind(kKindInstallation), 1);
    EXPECT_EQ(d.CountByKind(kKindPlugIn), 0);
}

TEST_F(CatalogLoadTest, HeaderWithoutPropertiesMakesNoEntry) {
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_9]\r\n[PlugIn_2]\r\nx=1\r\n");
    EXPECT_EQ(d.Entry("PlugIn_9"), nullptr);
    EXPECT_EQ(d.maxPlugInNumber(), 2);
}

TEST_F(CatalogLoadTest, EveryKindOfLineEndAndNoFinalOne) {
    ComponentDatabase& d = LoadFile(
        "[VntInstallation_1]\rProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r"
        "[PlugIn_1]\nA=1\n[PlugIn_2]\r\nB=2\r\n\r\n[PlugIn_3]\rC=3");
    EXPECT_EQ(Extra(d, "PlugIn_1", "A"), "1");
    EXPECT_EQ(Extra(d, "PlugIn_2", "B"), "2");
    EXPECT_EQ(Extra(d, "PlugIn_3", "C"), "3");
    EXPECT_TRUE(pendingMessage.empty());  // the CR-only host section was read
}

TEST_F(CatalogLoadTest, LineIsCutAtANulByte) {
    std::string content = HostSection() + "[PlugIn_1]\r\nA=1";
    content += '\0';
    content += "rest\r\nB";
    content += '\0';
    content += "=2\r\nC=3\r\n";
    ComponentDatabase& d = LoadFile(content);
    EXPECT_EQ(Extra(d, "PlugIn_1", "A"), "1");
    EXPECT_EQ(Extra(d, "PlugIn_1", "B"), "<missing>");
    EXPECT_EQ(Extra(d, "PlugIn_1", "C"), "3");
}

TEST_F(CatalogLoadTest, TenMegabyteLineIsKept) {
    const std::string big(10u << 20, 'x');
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\nBig=" + big + "\r\nAfter=1\r\n");
    EXPECT_EQ(Extra(d, "PlugIn_1", "Big"), big);
    EXPECT_EQ(Extra(d, "PlugIn_1", "After"), "1");
}

TEST_F(CatalogLoadTest, BinaryGarbageLoadsWithoutHarm) {
    // Random bytes mixed with pieces of the grammar, so that sections and
    // properties of every kind come out of it.
    static const char* const kPieces[] = {"[",
                                          "]",
                                          "PlugIn_",
                                          "VntInstallation_",
                                          "=",
                                          "\r",
                                          "\n",
                                          "\r\n",
                                          ",",
                                          " ",
                                          ";",
                                          "#",
                                          "0",
                                          "7",
                                          "12",
                                          "SdkVersion",
                                          "CpuSupport",
                                          "Status",
                                          "PlugInLst_GrpName",
                                          "Family_InstDate",
                                          "DisplayName",
                                          "ProgLocation",
                                          "\r\n[PlugIn_",
                                          "\r\n[VntInstallation_",
                                          "]\r\n"};
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        unsigned pick = (state >> 16) % 48;
        if (pick < sizeof(kPieces) / sizeof(kPieces[0]))
            garbage += kPieces[pick];
        else
            garbage += static_cast<char>(state >> 8);
    }
    ComponentDatabase& d = LoadFile(garbage + "\r\n" + HostSection());
    EXPECT_EQ(loadResult, 1);
    EXPECT_NE(d.Entry("VntInstallation_1"), nullptr);
    EXPECT_GT(d.CountByKind(kKindPlugIn), 10);
    // Whatever was made of the garbage is written and read back alike.
    d.SetFlags(kFlagModified);
    ASSERT_EQ(d.Save(), 1);
    TestCatalog again(machine.platform);
    ASSERT_EQ(again.Load(nullptr), 1);
    ExpectSameCatalog(d, again);
    EXPECT_GT(again.CountByKind(kKindPlugIn) + again.CountByKind(kKindInstallation), 5);
}

TEST_F(CatalogLoadTest, HundredThousandSections) {
    std::string content = HostSection();
    for (int i = 1; i <= 100000; ++i)
        content += "[PlugIn_" + std::to_string(i) + "]\r\nDisplayName=P" + std::to_string(i) + "\r\n";
    ComponentDatabase& d = LoadFile(content);
    EXPECT_EQ(d.CountByKind(kKindPlugIn), 100000);
    EXPECT_EQ(d.maxPlugInNumber(), 100000);
    EXPECT_EQ(d.Entry("PlugIn_76543")->DisplayName, "P76543");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
