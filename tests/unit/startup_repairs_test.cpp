// Start-up repairs: dropping records whose file is gone, substituting
// same-named plug-ins, and reconciling group names.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/catalog_builder.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::AddInstallation;
using testing_support::AddPlugIn;
using testing_support::TestCatalog;
using testing_support::TestMachine;

class StartupRepairsTest : public ::testing::Test {
protected:
    StartupRepairsTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        db = std::make_unique<TestCatalog>(machine.platform);
        db->SetFlags(kFlagLoaded);
    }
    // A plug-in whose file exists (unless `present` is false).
    CatalogEntry& PlugIn(const std::string& section, const std::string& path, const std::string& name, double sdk = 1.0,
                         bool present = true) {
        if (present) machine.files.Put(path, "MZ");
        return AddPlugIn(*db, section, path, name, 0, sdk);
    }
    CatalogEntry& Installation(const std::string& section, const std::string& path, const std::string& links,
                               double sdk = 1.0, bool present = true) {
        if (present) machine.files.Put(path, "MZ");
        return AddInstallation(*db, section, path, links, 0, sdk);
    }
    CatalogEntry& Group(const std::string& section, const std::string& path, const std::string& name,
                        const std::string& group) {
        CatalogEntry& e = PlugIn(section, path, name);
        db->SetProperty(section, "PlugInLst_GrpName", group);
        return e;
    }

    TestMachine machine;
    std::unique_ptr<TestCatalog> db;
};

TEST_F(StartupRepairsTest, NothingIsRepairedBeforeTheCatalogIsLoadedOrScanned) {
    PlugIn("PlugIn_1", "C:\\gone.dll", "Gone", 1.0, /*present=*/false);
    PlugIn("PlugIn_2", "C:\\p\\s.dll", "A");
    PlugIn("PlugIn_3", "C:\\p\\s.dll", "B");
    db->ResetFlags(kFlagOpened);
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 0);
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_NE(db->Entry("PlugIn_1"), nullptr);
    EXPECT_TRUE(db->Entry("PlugIn_2")->PlugInLst_GrpName.empty());

    db->ResetFlags(kFlagScanned);  // the scan alone is enough
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->Entry("PlugIn_1"), nullptr);
}

TEST_F(StartupRepairsTest, AVanishedPlugInIsReplacedInEachInstallationBySdkFit) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_1,PlugIn_2", 2.0);
    CatalogEntry& i2 = Installation("VntInstallation_2", "C:\\i2\\vn_app.exe", "PlugIn_2", 3.0);
    PlugIn("PlugIn_1", "C:\\p\\other.dll", "Other");
    PlugIn("PlugIn_2", "C:\\p\\gone.dll", "Tool", 2.0, /*present=*/false);
    PlugIn("PlugIn_3", "C:\\p\\tool3.dll", "Tool", 2.5);  // too new for the first installation
    PlugIn("PlugIn_4", "C:\\p\\tool4.dll", "Tool", 1.5);
    PlugIn("PlugIn_5", "C:\\p\\tool5.dll", "tool");  // names compare exactly

    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->Entry("PlugIn_2"), nullptr);
    EXPECT_FALSE(db->plugInNames().contains("PlugIn_2"));
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_1", "PlugIn_4"}));
    EXPECT_EQ(i2.PlugInLst_GrpName, (StringList{"PlugIn_3"}));
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagEntriesRemoved), kFlagModified | kFlagEntriesRemoved);
}

TEST_F(StartupRepairsTest, ASubstituteAlreadyLinkedIsNotLinkedTwice) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_2,PlugIn_1");
    PlugIn("PlugIn_1", "C:\\p\\gone.dll", "Tool", 1.0, /*present=*/false);
    PlugIn("PlugIn_2", "C:\\p\\tool2.dll", "Tool");
    db->services.startupRepairs.DropMissingFiles();
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_2"}));
}

TEST_F(StartupRepairsTest, AVanishedInstallationAndUnnamedSectionsAreRemoved) {
    Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "");
    Installation("VntInstallation_7", "C:\\i7\\vn_app.exe", "", 1.0, /*present=*/false);
    db->SetProperty("", "Stray", "key before any section");
    db->SetProperty("Notes", "ProgLocation", "C:\\notes.txt");
    machine.files.Put("C:\\notes.txt", "");
    const std::size_t plugIns = db->plugInNames().size();

    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->installationNames(), (StringList{"VntInstallation_1"}));
    EXPECT_EQ(db->Entry("VntInstallation_7"), nullptr);
    EXPECT_EQ(db->Entry(""), nullptr);
    EXPECT_NE(db->Entry("Notes"), nullptr);
    EXPECT_EQ(db->plugInNames().size(), plugIns);
    // The number is not handed out again in this run.
    EXPECT_EQ(db->maxInstallationNumber(), 7);
}

TEST_F(StartupRepairsTest, UnreadableFilesCountAsGoneAndACompleteCatalogIsLeftAlone) {
    PlugIn("PlugIn_1", "C:\\p\\a.dll", "A");
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 0);
    EXPECT_EQ(db->flags() & kFlagModified, 0u);

    machine.files.SetUnreadable("C:\\p\\a.dll");
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_TRUE(db->plugInNames().empty());
}

TEST_F(StartupRepairsTest, UnlinkAndSubstituteIgnoresUnknownAndUnlinkedNames) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_1");
    PlugIn("PlugIn_1", "C:\\p\\a.dll", "A");
    PlugIn("PlugIn_2", "C:\\p\\b.dll", "A");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_9", "PlugIn_1");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_9");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_2");
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_1"}));
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_1");
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_2"}));
}

TEST_F(StartupRepairsTest, PlugInsSharingALibraryWithoutGroupFormACerrGroup) {
    CatalogEntry& b = PlugIn("PlugIn_1", "C:\\p\\shared.dll", "Beta");
    CatalogEntry& a = PlugIn("PlugIn_2", "C:\\p\\shared.dll", "Alpha,Extra");
    CatalogEntry& alone = PlugIn("PlugIn_3", "C:\\p\\alone.dll", "Alone");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 1);
    const std::string group = "CERR: <Beta><Alpha,Extra>";
    EXPECT_EQ(b.PlugInLst_GrpName, (StringList{"CERR: <Beta><Alpha", "Extra>"}));
    EXPECT_EQ(a.PlugInLst_GrpName, b.PlugInLst_GrpName);
    EXPECT_EQ(a.GroupDescription, group);
    EXPECT_TRUE(alone.PlugInLst_GrpName.empty());
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagGroupsReconciled), kFlagModified | kFlagGroupsReconciled);
}

TEST_F(StartupRepairsTest, GroupedPlugInsGetTheFolderOfTheirLibraryWithoutMarkingTheCatalog) {
    machine.files.Put("C:\\Ide\\Plugins\\T.dll", "MZ");
    CatalogEntry& split = Group("PlugIn_1", "c:\\ide\\plugins\\t.dll", "T", "SPLIT: <Tools>");
    CatalogEntry& moved = Group("PlugIn_2", "c:\\new\\p.dll", "P", "Tools <c:\\old>");
    CatalogEntry& open = Group("PlugIn_3", "c:\\ide\\plugins\\t.dll", "U", "x SPLIT: <Tools");
    CatalogEntry& plain = Group("PlugIn_4", "c:\\new\\p.dll", "Q", "  Debug  ,Second");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(split.PlugInLst_GrpName, (StringList{"Tools <c:\\ide\\plugins>"}));
    EXPECT_EQ(split.GroupDescription, "Tools <c:\\ide\\plugins>");
    EXPECT_EQ(moved.PlugInLst_GrpName, (StringList{"Tools <c:\\new>"}));
    EXPECT_EQ(open.PlugInLst_GrpName, (StringList{" <c:\\ide\\plugins>"}));
    EXPECT_EQ(plain.PlugInLst_GrpName, (StringList{"Debug <c:\\new>"}));
    EXPECT_EQ(db->flags() & kFlagModified, 0u);
}

TEST_F(StartupRepairsTest, ReconcilingAgainSettlesAndThenStaysTheSame) {
    CatalogEntry& a = PlugIn("PlugIn_1", "C:\\p\\shared.dll", "Alpha");
    PlugIn("PlugIn_2", "C:\\p\\shared.dll", "Beta");
    CatalogEntry& g = Group("PlugIn_3", "C:\\q\\g.dll", "G", "SPLIT: <Tools>");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 1);
    EXPECT_EQ(a.PlugInLst_GrpName, (StringList{"CERR: <Alpha><Beta>"}));
    // Next start: the CERR group is now a group like any other.
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(a.PlugInLst_GrpName, (StringList{"CERR: <c:\\p>"}));
    const StringList settledA = a.PlugInLst_GrpName;
    const StringList settledG = g.PlugInLst_GrpName;
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(a.PlugInLst_GrpName, settledA);
    EXPECT_EQ(g.PlugInLst_GrpName, settledG);
    EXPECT_EQ(g.PlugInLst_GrpName, (StringList{"Tools <c:\\q>"}));
}

// The shape of a random catalog for comparing the indexed drop with the walk
// that asks every installation and every plug-in.
struct DropShape {
    const char* what;
    int installations;
    int plugIns;
    int displayNames;  // drawn from this many, so substitutes compete
    int goneInOf;      // one file in this many is missing
    unsigned seeds;
};

const DropShape kDropShapes[] = {
    {"small, half gone", 4, 10, 3, 2, 300},
    {"one display name, most gone", 6, 16, 1, 3, 200},
    {"many installations, few gone", 12, 30, 4, 5, 150},
    {"everything gone", 5, 20, 2, 1, 100},
};

const double kSdks[] = {0.5, 1.0, 1.5, 2.0, 2.5, std::numeric_limits<double>::quiet_NaN()};

void FillForDrop(TestMachine& machine, ComponentDatabase& db, const DropShape& shape, unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto sdk = [&]() { return kSdks[pick(8) == 0 ? 5 : pick(5)]; };
    auto file = [&](const std::string& path) {
        if (pick(shape.goneInOf) != 0) machine.files.Put(path, "MZ");
    };
    const int plugIns = 1 + pick(shape.plugIns);
    for (int k = 0; k < plugIns; ++k) {
        const std::string path = "C:\\p\\" + std::to_string(seed) + "_" + std::to_string(k) + ".dll";
        file(path);
        AddPlugIn(db, "PlugIn_" + std::to_string(1 + pick(plugIns + 3)), path,
                  "Tool" + std::to_string(pick(shape.displayNames)), 0, sdk());
    }
    const int installations = 1 + pick(shape.installations);
    for (int k = 0; k < installations; ++k) {
        const std::string path = "C:\\i\\" + std::to_string(seed) + "_" + std::to_string(k) + ".exe";
        file(path);
        std::string links;
        for (int l = pick(plugIns + 2); l > 0; --l) {
            links += (links.empty() ? "" : ",") + std::string("PlugIn_") + std::to_string(1 + pick(plugIns + 3));
        }
        AddInstallation(db, "VntInstallation_" + std::to_string(1 + pick(installations + 2)), path, links, 0, sdk());
    }
}

// Every record asked about, then each missing one dropped with the walk over
// every installation and UnlinkAndSubstitute's walk over every plug-in.
int ReferenceDrop(ComponentDatabase& db, StartupRepairs& repairs, Files& files) {
    std::vector<std::string> missing;
    for (const auto& item : db.entries()) {
        if (item.value().ProgLocation.empty() || !files.CanOpen(item.value().ProgLocation))
            missing.push_back(item.key());
    }
    for (const std::string& name : missing) {
        if (ComponentDatabase::SectionKind(name) == kKindPlugIn) {
            for (const std::string& installation : db.installationNames().items()) {
                const CatalogEntry* linker = db.Entry(installation);
                if (linker && linker->PlugInLst_GrpName.contains(name)) repairs.UnlinkAndSubstitute(installation, name);
            }
        }
        db.RemoveSection(name);
        db.MarkModified(kFlagEntriesRemoved);
    }
    return missing.empty() ? 0 : 1;
}

class DropEquivalence : public ::testing::TestWithParam<DropShape> {};

TEST_P(DropEquivalence, TheIndexedDropMakesTheSameChangesAsTheWalk) {
    const DropShape& shape = GetParam();
    for (unsigned seed = 1; seed <= shape.seeds; ++seed) {
        TestMachine machine;
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        TestCatalog actual(machine.platform);
        TestCatalog expected(machine.platform);
        FillForDrop(machine, actual, shape, seed);
        FillForDrop(machine, expected, shape, seed);
        actual.SetFlags(kFlagLoaded);
        expected.SetFlags(kFlagLoaded);

        EXPECT_EQ(actual.services.startupRepairs.DropMissingFiles(),
                  ReferenceDrop(expected, expected.services.startupRepairs, machine.files))
            << seed;
        ASSERT_EQ(actual.installationNames(), expected.installationNames()) << seed;
        ASSERT_EQ(actual.plugInNames(), expected.plugInNames()) << seed;
        EXPECT_EQ(actual.flags(), expected.flags()) << seed;
        EXPECT_EQ(actual.entries().size(), expected.entries().size()) << seed;
        for (const std::string& name : expected.installationNames()) {
            const CatalogEntry* mine = actual.Entry(name);
            ASSERT_NE(mine, nullptr) << seed << " " << name;
            EXPECT_EQ(mine->PlugInLst_GrpName, expected.Entry(name)->PlugInLst_GrpName) << seed << " " << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RandomCatalogs, DropEquivalence, ::testing::ValuesIn(kDropShapes),
                         [](const ::testing::TestParamInfo<DropShape>& param) {
                             std::string name;
                             for (const char* c = param.param.what; *c; ++c) {
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             }
                             return name;
                         });

}  // namespace
}  // namespace comp_mgr
