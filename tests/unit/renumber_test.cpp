// Closing the gaps in section numbers at exit, and unregistering every
// plug-in found in this run.
#include <map>
#include <random>
#include <string>

#include "link_fixture.h"
#include "support/fake_servers.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::LinkFixture;
using testing_support::TestCatalog;

class Renumber : public LinkFixture {};

TEST_F(Renumber, NoGapsNoChange) {
    for (const char* name : {"VntInstallation_1", "VntInstallation_2", "VntInstallation_3"}) Installation(name, "*");
    PlugIn("PlugIn_1", "A", "x");
    PlugIn("PlugIn_2", "B", "x");
    const std::uint32_t flags = db->flags();
    EXPECT_EQ(db->services.exitRepairs.RenumberSections(), 0);
    EXPECT_EQ(db->flags(), flags);
    EXPECT_EQ(db->plugInNames().items(), (Names{"PlugIn_1", "PlugIn_2"}));
}

TEST_F(Renumber, PlugInsMoveDownAndLinksFollow) {
    CatalogEntry& installation = Installation("VntInstallation_1", "*");
    CatalogEntry& five = PlugIn("PlugIn_5", "Five", "x");
    CatalogEntry& two = PlugIn("PlugIn_2", "Two", "x");
    for (const char* link : {"PlugIn_5", "PlugIn_2", "PlugIn_5", "Other"})
        installation.PlugInLst_GrpName.push_back(link);
    ASSERT_EQ(db->maxPlugInNumber(), 5);
    EXPECT_EQ(db->services.exitRepairs.RenumberSections(), 1);
    EXPECT_EQ(db->plugInNames().items(), (Names{"PlugIn_2", "PlugIn_1"})) << "list order kept, names replaced in place";
    EXPECT_EQ(db->Entry("PlugIn_1"), &two);
    EXPECT_EQ(db->Entry("PlugIn_2"), &five);
    EXPECT_EQ(db->Entry("PlugIn_5"), nullptr);
    EXPECT_EQ(db->maxPlugInNumber(), 2);
    // The second link naming PlugIn_5 keeps the old name.
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_2", "PlugIn_1", "PlugIn_5", "Other"}));
    EXPECT_NE(db->flags() & kFlagModified, 0u);
    EXPECT_EQ(db->flags() & kFlagChangeKinds, 0u);
}

TEST_F(Renumber, AHighestNumberWithoutSectionIsKeptWhenNothingMoves) {
    Installation("VntInstallation_1", "*");
    Installation("VntInstallation_2", "*");
    db->SetMaxNumber(kKindInstallation, 3);
    EXPECT_EQ(db->services.exitRepairs.RenumberSections(), 0);
    EXPECT_EQ(db->maxInstallationNumber(), 3);
}

TEST_F(Renumber, TheLargestNumberMovesDownAtOnce) {
    PlugIn("PlugIn_2147483647", "Far", "x");
    PlugIn("PlugIn_07", "Not canonical", "x");
    PlugIn("PlugIn_abc", "No number", "x");
    ASSERT_EQ(db->maxPlugInNumber(), 2147483647);
    EXPECT_EQ(db->services.exitRepairs.RenumberSections(), 1);
    EXPECT_EQ(db->plugInNames().items(), (Names{"PlugIn_1", "PlugIn_07", "PlugIn_abc"}));
    EXPECT_EQ(db->maxPlugInNumber(), 3);
    EXPECT_EQ(db->Entry("PlugIn_1")->DisplayName, "Far");
}

// What the exit-time renumbering works on, copied out of a catalog.
struct Model {
    StringList installationNames;
    StringList plugInNames;
    std::map<std::string, CatalogEntry> entries;
    std::int32_t maxInstallationNumber = 0;
    std::int32_t maxPlugInNumber = 0;
    bool modified = false;
};

Model Snapshot(const ComponentDatabase& db) {
    Model m;
    m.installationNames = db.installationNames();
    m.plugInNames = db.plugInNames();
    for (const auto& item : db.entries()) m.entries[item.key()].Assign(item.value());
    m.maxInstallationNumber = db.maxInstallationNumber();
    m.maxPlugInNumber = db.maxPlugInNumber();
    return m;
}

// The walk over every number, as the exit-time renumbering is defined, to
// compare against on small catalogs.
int ReferenceRenumber(Model& db) {
    const bool instGaps = static_cast<std::int64_t>(db.installationNames.size()) < db.maxInstallationNumber;
    const bool plugGaps = static_cast<std::int64_t>(db.plugInNames.size()) < db.maxPlugInNumber;
    if (!instGaps && !plugGaps) return 0;
    bool moved = false;
    auto walk = [&](StringList& names, const std::string& prefix, std::int32_t max, bool plugIns) {
        std::int64_t limit = std::max<std::int64_t>(max, static_cast<std::int64_t>(names.size()));
        std::int64_t found = 0;
        if (limit <= 0) return;
        for (std::int32_t i = 1; i <= max; ++i) {
            const std::string name = prefix + FormatInt(i);
            if (names.contains(name)) {
                ++found;
            } else {
                for (std::int32_t j = i + 1; j <= max; ++j) {
                    const std::string old = prefix + FormatInt(j);
                    if (!names.contains(old) || !db.entries.count(old)) continue;
                    db.entries[name].Assign(db.entries[old]);
                    db.entries.erase(old);
                    names.replaceAt(names.indexOf(old), name);
                    moved = true;
                    ++found;
                    if (plugIns) {
                        for (const std::string& inst : db.installationNames) {
                            auto e = db.entries.find(inst);
                            if (e == db.entries.end()) continue;
                            std::size_t at = e->second.PlugInLst_GrpName.indexOf(old);
                            if (at != StringList::npos) e->second.PlugInLst_GrpName.replaceAt(at, name);
                        }
                    }
                    break;
                }
            }
            if (found == limit) break;
        }
    };
    walk(db.installationNames, kInstallationPrefix, db.maxInstallationNumber, false);
    walk(db.plugInNames, kPlugInPrefix, db.maxPlugInNumber, true);
    if (!moved) return 0;
    if (instGaps) db.maxInstallationNumber = static_cast<std::int32_t>(db.installationNames.size());
    if (plugGaps) db.maxPlugInNumber = static_cast<std::int32_t>(db.plugInNames.size());
    db.modified = true;
    return 1;
}

void FillRandomly(ComponentDatabase& db, unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int installations = pick(5);
    const int plugIns = pick(12);
    for (int k = 0; k < installations; ++k) {
        const std::string name = pick(6) == 0 ? "VntInstallation_0" + std::to_string(pick(9))
                                              : "VntInstallation_" + std::to_string(1 + pick(12));
        db.SetProperty(name, "ProgLocation", "C:\\i" + std::to_string(k));
    }
    for (int k = 0; k < plugIns; ++k) {
        const std::string name =
            pick(8) == 0 ? "PlugIn_x" + std::to_string(k) : "PlugIn_" + std::to_string(1 + pick(30));
        db.SetProperty(name, "ProgLocation", "C:\\p" + std::to_string(k));
    }
    // Now and then a registered name has no entry, or the highest number is
    // one no section carries.
    if (pick(4) == 0) db.RegisterSectionName("PlugIn_" + std::to_string(1 + pick(30)));
    if (pick(3) == 0) db.SetMaxNumber(kKindPlugIn, db.maxPlugInNumber() + pick(5));
    for (const std::string& inst : db.installationNames()) {
        CatalogEntry* e = db.Entry(inst);
        if (!e) continue;
        const int links = pick(8);
        for (int l = 0; l < links; ++l) e->PlugInLst_GrpName.push_back("PlugIn_" + std::to_string(1 + pick(32)));
    }
}

TEST_F(Renumber, SameResultAsTheWalkOverEveryNumber) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        TestCatalog actual(machine.platform);
        FillRandomly(actual, seed);
        Model expected = Snapshot(actual);
        const std::uint32_t flagsBefore = actual.flags();
        EXPECT_EQ(actual.services.exitRepairs.RenumberSections(), ReferenceRenumber(expected)) << seed;
        EXPECT_EQ(actual.installationNames(), expected.installationNames) << seed;
        EXPECT_EQ(actual.plugInNames(), expected.plugInNames) << seed;
        EXPECT_EQ(actual.maxInstallationNumber(), expected.maxInstallationNumber) << seed;
        EXPECT_EQ(actual.maxPlugInNumber(), expected.maxPlugInNumber) << seed;
        EXPECT_EQ(actual.flags(), flagsBefore | (expected.modified ? kFlagModified : 0u)) << seed;
        EXPECT_EQ(actual.entries().size(), expected.entries.size()) << seed;
        for (const auto& item : expected.entries) {
            const CatalogEntry* mine = actual.Entry(item.first);
            ASSERT_NE(mine, nullptr) << seed << " " << item.first;
            EXPECT_EQ(mine->ProgLocation, item.second.ProgLocation) << seed << " " << item.first;
            EXPECT_EQ(mine->PlugInLst_GrpName, item.second.PlugInLst_GrpName) << seed << " " << item.first;
        }
    }
}

TEST_F(Renumber, UnregisterAllCallsEachFoundLibraryOnceAndClearsTheCurrentInstallation) {
    FakeServers servers{machine};
    for (const char* path : {"C:\\Ide\\plugins\\a.dll", "C:\\Ide\\plugins\\b.dll"}) {
        machine.files.Put(path, "MZ");
        servers.Add(path);
    }
    const int found = kStatusRecordWriter | kStatusFoundOrCurrent;
    CatalogEntry& current = Installation("VntInstallation_1", "*", 1.0, found);
    CatalogEntry& other = Installation("VntInstallation_2", "*");
    PlugIn("PlugIn_1", "A", "x", "", 1.0, found, "C:\\Ide\\plugins\\a.dll");
    PlugIn("PlugIn_2", "B", "x", "", 1.0, found, "C:\\Ide\\plugins\\a.dll");
    PlugIn("PlugIn_3", "C", "x", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\b.dll");
    std::string before;
    ASSERT_TRUE(machine.files.GetCurrentDirectory(&before, 1024));
    db->ResetFlags(kFlagLoaded);

    db->services.exitRepairs.UnregisterAllPlugIns();
    EXPECT_EQ(servers.calls, std::vector<std::string>{"unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins"});
    EXPECT_EQ(current.Status & kStatusFoundOrCurrent, 0);
    EXPECT_EQ(other.Status & kStatusFoundOrCurrent, 0);
    EXPECT_NE(db->Entry("PlugIn_1")->Status & kStatusFoundOrCurrent, 0) << "plug-ins keep their bit";
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
    std::string after;
    ASSERT_TRUE(machine.files.GetCurrentDirectory(&after, 1024));
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace comp_mgr
