// The registry plug-in scan against an in-memory registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::TestCatalog;
using testing_support::TestMachine;

const std::string kRoot = "SOFTWARE\\KOVRA\\Vantrel\\";
const std::string kActiveX = "Plugins\\ActiveX Tools\\";
const std::string kCommand = "Plugins\\Command Tools\\";
const std::string kSubMenus = "Plugins\\Sub Menus\\";

// A registry whose key enumeration fails, as for a name that does not fit,
// at the chosen names.
class FailingEnumRegistry : public MemoryRegistry {
public:
    long EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
        long result = MemoryRegistry::EnumKey(key, index, name, nameSize);
        if (result == kErrorSuccess && failAt == std::string(name, *nameSize)) return kErrorMoreData;
        return result;
    }
    std::string failAt;
};

class RegistryScanTest : public ::testing::Test {
protected:
    RegistryScanTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
    }
    TestCatalog& Db() {
        if (!db) db = std::make_unique<TestCatalog>(useFailing ? failingPlatform : machine.platform);
        return *db;
    }
    MemoryRegistry& Registry() { return machine.registry; }

    // A plug-in value below the IDE's root key.
    void Value(const std::string& keyPath, const std::string& name, const std::string& value) {
        Registry().SetString(kHkeyLocalMachine, kRoot + keyPath, name, value);
    }
    // A class whose server is `server`; the file exists when `present`.
    void Class(const std::string& classId, const std::string& server, bool present = true) {
        Registry().SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\" + classId + "\\InprocServer32", "",
                             server);
        if (present) machine.files.Put(server, "MZ");
    }
    // A plug-in version key with a class of its own.
    void Version(const std::string& keyPath, const std::string& classId, const std::string& server,
                 bool present = true) {
        Value(keyPath, "CLSID", classId);
        Class(classId, server, present);
    }
    bool KeyExists(const std::string& keyPath) { return Registry().KeyExists(kHkeyLocalMachine, kRoot + keyPath); }

    // Plug-in entries with this server path.
    std::vector<CatalogEntry*> ByServer(const std::string& server) {
        std::vector<CatalogEntry*> found;
        for (const std::string& name : Db().plugInNames()) {
            CatalogEntry* e = Db().Entry(name);
            if (e && e->ProgLocation == server) found.push_back(e);
        }
        return found;
    }
    CatalogEntry* One(const std::string& server) {
        std::vector<CatalogEntry*> found = ByServer(server);
        return found.size() == 1 ? found[0] : nullptr;
    }

    TestMachine machine;
    FailingEnumRegistry failing;
    Platform failingPlatform{failing,       machine.files,        machine.process, machine.loader, machine.ui,
                             machine.clock, machine.fileVersions, machine.com,     machine.shell,  machine.events};
    bool useFailing = false;
    std::unique_ptr<TestCatalog> db;
};

TEST_F(RegistryScanTest, WithoutTheRootKeyNothingHappens) {
    Registry().RemoveTree(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel");
    EXPECT_EQ(Db().services.scan.ScanRegistryPlugins(), 0);
    EXPECT_EQ(Db().flags() & kFlagScanned, 0u);
    EXPECT_TRUE(Db().plugInNames().empty());
}

TEST_F(RegistryScanTest, APlugInIsRecordedWithItsTrimmedValues) {
    const std::string key = kActiveX + "Alpha";
    Version(key, "{A}", "C:\\Plug\\a.dll");
    Value(key, "SKU", "  pro ");
    Value(key, "DisplayName", " Alpha Tool\t");
    Value(key, "HelpFile", " a.chm ");
    Value(key, "GroupName", " Debug,Analysis,Debug ");
    Value(key, "GroupDescription", " Debugging ");

    EXPECT_EQ(Db().services.scan.ScanRegistryPlugins(), 1);
    EXPECT_TRUE(Db().flags() & kFlagScanned);
    CatalogEntry* e = One("C:\\Plug\\a.dll");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->DisplayName, "Alpha Tool");
    EXPECT_EQ(e->Sku, "pro");
    EXPECT_EQ(e->HelpFile, "a.chm");
    EXPECT_EQ(e->PlugInLst_GrpName, (StringList{"Debug", "Analysis"}));
    EXPECT_EQ(e->GroupDescription, "Debugging");
    EXPECT_EQ(e->CpuSupport, (StringList{"*"}));
    EXPECT_DOUBLE_EQ(e->SdkVersion, 1.0);
    EXPECT_TRUE(e->Status & kStatusFoundOrCurrent);
    EXPECT_EQ(Registry().openHandleCount(), 0u);
}

TEST_F(RegistryScanTest, AGroupDescriptionWithoutGroupNameIsIgnored) {
    const std::string key = kActiveX + "Alpha";
    Version(key, "{A}", "C:\\Plug\\a.dll");
    Value(key, "GroupDescription", "Orphan");
    Db().services.scan.ScanRegistryPlugins();
    CatalogEntry* e = One("C:\\Plug\\a.dll");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->GroupDescription.empty());
    EXPECT_TRUE(e->PlugInLst_GrpName.empty());
}

TEST_F(RegistryScanTest, OnlySubkeysAboveVersionOneAreVersions) {
    const std::string key = kCommand + "Beta";
    Version(key, "{B10}", "C:\\Plug\\b10.dll");
    Version(key + "\\2.5", "{B25}", "C:\\Plug\\b25.dll");
    Version(key + "\\Settings", "{BS}", "C:\\Plug\\bs.dll");
    Version(key + "\\1.0", "{B1}", "C:\\Plug\\b1.dll");
    Version(key + "\\0.9", "{B09}", "C:\\Plug\\b09.dll");
    // Names that read as the number 1.0 are not versions either; anything
    // above it is.
    Version(key + "\\1", "{B1A}", "C:\\Plug\\b1a.dll");
    Version(key + "\\1.00", "{B1B}", "C:\\Plug\\b1b.dll");
    Version(key + "\\1.001", "{B1C}", "C:\\Plug\\b1c.dll");
    Db().services.scan.ScanRegistryPlugins();

    ASSERT_NE(One("C:\\Plug\\b10.dll"), nullptr);
    ASSERT_NE(One("C:\\Plug\\b25.dll"), nullptr);
    EXPECT_DOUBLE_EQ(One("C:\\Plug\\b25.dll")->SdkVersion, 2.5);
    EXPECT_TRUE(ByServer("C:\\Plug\\bs.dll").empty());
    EXPECT_TRUE(ByServer("C:\\Plug\\b1.dll").empty());
    EXPECT_TRUE(ByServer("C:\\Plug\\b09.dll").empty());
    EXPECT_TRUE(ByServer("C:\\Plug\\b1a.dll").empty());
    EXPECT_TRUE(ByServer("C:\\Plug\\b1b.dll").empty());
    ASSERT_NE(One("C:\\Plug\\b1c.dll"), nullptr);
    EXPECT_DOUBLE_EQ(One("C:\\Plug\\b1c.dll")->SdkVersion, 1.001);
    // Without DisplayName a plug-in is named after its key.
    EXPECT_EQ(One("C:\\Plug\\b10.dll")->DisplayName, "Beta");
}

TEST_F(RegistryScanTest, ADisplayNameCarriesOverToLaterVersionsWithoutOne) {
    const std::string key = kActiveX + "Gamma";
    Version(key, "{G1}", "C:\\Plug\\g1.dll");
    Value(key, "DisplayName", "Gamma Tool");
    Version(key + "\\2.0", "{G2}", "C:\\Plug\\g2.dll");
    Version(key + "\\3.0", "{G3}", "C:\\Plug\\g3.dll");
    Value(key + "\\3.0", "DisplayName", "Gamma Three");
    Version(key + "\\4.0", "{G4}", "C:\\Plug\\g4.dll");
    Db().services.scan.ScanRegistryPlugins();
    ASSERT_NE(One("C:\\Plug\\g2.dll"), nullptr);
    EXPECT_EQ(One("C:\\Plug\\g2.dll")->DisplayName, "Gamma Tool");
    EXPECT_EQ(One("C:\\Plug\\g3.dll")->DisplayName, "Gamma Three");
    EXPECT_EQ(One("C:\\Plug\\g4.dll")->DisplayName, "Gamma Three");
}

TEST_F(RegistryScanTest, FamilySubkeysGiveTheirNameAsScope) {
    Version(kSubMenus + "Delta", "{D}", "C:\\Plug\\d.dll");
    Version("FamA\\" + kSubMenus + "Delta", "{D}", "C:\\Plug\\d.dll");
    Version("FamB\\" + kCommand + "Eps", "{E}", "C:\\Plug\\e.dll");
    Value("Unrelated\\Other", "x", "y");
    EXPECT_EQ(Db().services.scan.ScanRegistryPlugins(), 1);

    StringList scopes;
    for (CatalogEntry* e : ByServer("C:\\Plug\\d.dll"))
        for (const std::string& s : e->CpuSupport) scopes.appendUnique(s);
    EXPECT_TRUE(scopes.contains("*"));
    EXPECT_TRUE(scopes.contains("FamA"));
    ASSERT_NE(One("C:\\Plug\\e.dll"), nullptr);
    EXPECT_EQ(One("C:\\Plug\\e.dll")->CpuSupport, (StringList{"FamB"}));
}

TEST_F(RegistryScanTest, ServerPathsTakeTheirShortFormUnlessTheyHoldATilde) {
    Version(kActiveX + "Long", "{L}", "C:\\Program Files\\Long Name\\long.dll");
    machine.files.SetShortName("C:\\Program Files\\Long Name\\long.dll", "C:\\PROGRA~1\\LONGNA~1\\long.dll");
    machine.files.Put("C:\\PROGRA~1\\LONGNA~1\\long.dll", "MZ");  // the in-memory files resolve no short names
    Version(kActiveX + "Tilde", "{T}", "C:\\PROGRA~1\\t.dll");
    machine.files.SetShortName("C:\\PROGRA~1\\t.dll", "C:\\OTHER\\t.dll");
    Version(kActiveX + "NoShort", "{N}", "C:\\Plug\\n.dll");
    Db().services.scan.ScanRegistryPlugins();
    EXPECT_NE(One("C:\\PROGRA~1\\LONGNA~1\\long.dll"), nullptr);
    EXPECT_NE(One("C:\\PROGRA~1\\t.dll"), nullptr);
    EXPECT_NE(One("C:\\Plug\\n.dll"), nullptr);
}

TEST_F(RegistryScanTest, ToShortPathKeepsThePathWhenTheShortFormDoesNotFit) {
    const std::string folder = "C:\\" + std::string(200, 'f');
    const std::string path = folder + "\\x.dll";
    machine.files.Put(path, "MZ");
    machine.files.SetShortName(path, folder + "\\" + std::string(60, 's') + ".dll");  // 266 characters
    std::string p = path;
    EXPECT_EQ(Db().services.scan.ToShortPath(p), 0);
    EXPECT_EQ(p, path);

    // A tilde after the first character marks a short form already; one in
    // first place does not.
    machine.files.Put("C:\\~lead.dll", "MZ");
    machine.files.SetShortName("C:\\~lead.dll", "C:\\LEAD~1.DLL");
    std::string lead = "C:\\~lead.dll";
    EXPECT_EQ(Db().services.scan.ToShortPath(lead), 0);
    EXPECT_EQ(lead, "C:\\~lead.dll");
    machine.files.Put("~bare.dll", "MZ");
    machine.files.SetShortName("~bare.dll", "BARE~1.DLL");
    std::string bare = "~bare.dll";
    EXPECT_EQ(Db().services.scan.ToShortPath(bare), 1);
    EXPECT_EQ(bare, "BARE~1.DLL");
}

TEST_F(RegistryScanTest, AVanishedVersionKeyIsDeletedAndStillRecordedOnce) {
    const std::string key = kActiveX + "Zeta";
    Version(key, "{Z1}", "C:\\Plug\\z1.dll");
    Version(key + "\\2.0", "{Z2}", "C:\\Plug\\z2.dll", /*present=*/false);
    Version(key + "\\3.0", "{Z3}", "C:\\Plug\\z3.dll");
    Version(key + "\\4.0", "{Z4}", "C:\\Plug\\z4.dll", /*present=*/false);
    Value(key + "\\4.0\\Inner", "x", "y");  // a key with subkeys is not deleted
    Db().services.scan.ScanRegistryPlugins();

    EXPECT_FALSE(KeyExists(key + "\\2.0"));
    EXPECT_NE(One("C:\\Plug\\z2.dll"), nullptr);
    // The version after the deleted one is not passed over.
    EXPECT_NE(One("C:\\Plug\\z3.dll"), nullptr);
    EXPECT_TRUE(KeyExists(key + "\\4.0"));
    EXPECT_TRUE(ByServer("C:\\Plug\\z4.dll").empty());
    EXPECT_EQ(Registry().openHandleCount(), 0u);
}

TEST_F(RegistryScanTest, AVanishedVersionOneIsSkippedUnlessASubkeyOneDotZeroCanGo) {
    Version(kActiveX + "Eta", "{H}", "C:\\Plug\\h.dll", /*present=*/false);
    Version(kActiveX + "Theta", "{TH}", "C:\\Plug\\th.dll", /*present=*/false);
    Value(kActiveX + "Theta\\1.0", "Note", "empty version key");
    Db().services.scan.ScanRegistryPlugins();
    EXPECT_TRUE(ByServer("C:\\Plug\\h.dll").empty());
    EXPECT_TRUE(KeyExists(kActiveX + "Eta"));
    EXPECT_NE(One("C:\\Plug\\th.dll"), nullptr);
    EXPECT_FALSE(KeyExists(kActiveX + "Theta\\1.0"));
    EXPECT_TRUE(KeyExists(kActiveX + "Theta"));
}

TEST_F(RegistryScanTest, AClassWithoutServerKeyOrPathSkipsTheVersion) {
    Value(kActiveX + "Iota", "CLSID", "{I}");
    Registry().SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{I}", "", "Iota class");
    Value(kActiveX + "Kappa", "CLSID", "{K}");
    Registry().SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{K}\\InprocServer32", "ThreadingModel", "Both");
    Value(kActiveX + "NoClsid", "DisplayName", "No class");
    Version(kActiveX + "Lambda", "{L}", "C:\\Plug\\l.dll");
    Db().services.scan.ScanRegistryPlugins();
    EXPECT_EQ(Db().plugInNames().size(), 1u);
    EXPECT_NE(One("C:\\Plug\\l.dll"), nullptr);
    EXPECT_EQ(Registry().openHandleCount(), 0u);
}

TEST_F(RegistryScanTest, ValuesFillingTheBufferAreReadWithinItAndLongerOnesAsEmpty) {
    const std::string key = kActiveX + "Mu";
    Version(key, "{M}", "C:\\Plug\\m.dll");
    const std::string full(512, 's');
    Registry().SetRaw(kHkeyLocalMachine, kRoot + key, "SKU", kRegSz, full);                   // no terminator
    Registry().SetString(kHkeyLocalMachine, kRoot + key, "HelpFile", std::string(512, 'h'));  // 513 with it
    Registry().SetString(kHkeyLocalMachine, kRoot + key, "DisplayName", std::string(600, 'd'));
    Db().services.scan.ScanRegistryPlugins();
    CatalogEntry* e = One("C:\\Plug\\m.dll");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Sku, full);
    EXPECT_TRUE(e->HelpFile.empty());
    EXPECT_EQ(e->DisplayName, "Mu");
}

TEST_F(RegistryScanTest, ValuesOfOtherTypesAreReadAsBytesUpToTheFirstZero) {
    const std::string key = kActiveX + "Nu";
    Registry().SetRaw(kHkeyLocalMachine, kRoot + key, "CLSID", kRegBinary, "{NU}");  // no terminator
    Class("{NU}", "C:\\Plug\\nu.dll");
    Registry().SetDword(kHkeyLocalMachine, kRoot + key, "SKU", 0x41);  // bytes 41 00 00 00
    Registry().SetRaw(kHkeyLocalMachine, kRoot + key, "DisplayName", kRegMultiSz, std::string("Nu\0Tool\0\0", 9));
    Db().services.scan.ScanRegistryPlugins();
    CatalogEntry* e = One("C:\\Plug\\nu.dll");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Sku, "A");
    EXPECT_EQ(e->DisplayName, "Nu");
}

TEST_F(RegistryScanTest, AKeyNameThatDoesNotFitEndsThatEnumeration) {
    useFailing = true;
    auto set = [&](const std::string& path, const std::string& name, const std::string& value) {
        failing.SetString(kHkeyLocalMachine, path, name, value);
    };
    set("SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", TestMachine::kDbFolder);
    for (const char* name : {"Alpha", "Mid", "Zulu"}) {
        std::string lower(name);
        set(kRoot + kActiveX + name, "CLSID", "{" + lower + "}");
        set("SOFTWARE\\Classes\\CLSID\\{" + lower + "}\\InprocServer32", "", "C:\\Plug\\" + lower + ".dll");
        machine.files.Put("C:\\Plug\\" + lower + ".dll", "MZ");
    }
    failing.failAt = "Mid";
    Db().services.scan.ScanRegistryPlugins();
    EXPECT_NE(One("C:\\Plug\\Alpha.dll"), nullptr);
    EXPECT_TRUE(ByServer("C:\\Plug\\Mid.dll").empty());
    EXPECT_TRUE(ByServer("C:\\Plug\\Zulu.dll").empty());
    EXPECT_TRUE(Db().flags() & kFlagScanned);
}

TEST_F(RegistryScanTest, AThousandVersionsAreAllRecorded) {
    const std::string key = kActiveX + "Many";
    Version(key, "{MANY}", "C:\\Plug\\many.dll");
    for (int v = 2; v < 1002; ++v) Value(key + "\\" + std::to_string(v) + ".0", "CLSID", "{MANY}");
    Db().services.scan.ScanRegistryPlugins();
    EXPECT_EQ(ByServer("C:\\Plug\\many.dll").size(), 1001u);
    EXPECT_EQ(Registry().openHandleCount(), 0u);
}

}  // namespace
}  // namespace comp_mgr
