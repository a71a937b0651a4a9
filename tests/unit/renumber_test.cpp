// Closing the gaps in section numbers at exit, and unregistering every
// plug-in found in this run.
#include <random>

#include "link_fixture.h"
#include "support/fake_servers.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::LinkFixture;

class Renumber : public LinkFixture {};

TEST_F(Renumber, NoGapsNoChange) {
    for (const char* name : {"VntInstallation_1", "VntInstallation_2", "VntInstallation_3"}) Installation(name, "*");
    PlugIn("PlugIn_1", "A", "x");
    PlugIn("PlugIn_2", "B", "x");
    const std::uint32_t flags = db->flags;
    EXPECT_EQ(db->RenumberSections(), 0);
    EXPECT_EQ(db->flags, flags);
    EXPECT_EQ(db->plugInNames.items(), (Names{"PlugIn_1", "PlugIn_2"}));
}

TEST_F(Renumber, PlugInsMoveDownAndLinksFollow) {
    CatalogEntry& installation = Installation("VntInstallation_1", "*");
    CatalogEntry& five = PlugIn("PlugIn_5", "Five", "x");
    CatalogEntry& two = PlugIn("PlugIn_2", "Two", "x");
    for (const char* link : {"PlugIn_5", "PlugIn_2", "PlugIn_5", "Other"})
        installation.PlugInLst_GrpName.push_back(link);
    ASSERT_EQ(db->maxPlugInNumber, 5);
    EXPECT_EQ(db->RenumberSections(), 1);
    EXPECT_EQ(db->plugInNames.items(), (Names{"PlugIn_2", "PlugIn_1"})) << "list order kept, names replaced in place";
    EXPECT_EQ(db->Entry("PlugIn_1"), &two);
    EXPECT_EQ(db->Entry("PlugIn_2"), &five);
    EXPECT_EQ(db->Entry("PlugIn_5"), nullptr);
    EXPECT_EQ(db->maxPlugInNumber, 2);
    // The second link naming PlugIn_5 keeps the old name.
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_2", "PlugIn_1", "PlugIn_5", "Other"}));
    EXPECT_NE(db->flags & kFlagModified, 0u);
    EXPECT_EQ(db->flags & kFlagChangeKinds, 0u);
}

TEST_F(Renumber, AHighestNumberWithoutSectionIsKeptWhenNothingMoves) {
    Installation("VntInstallation_1", "*");
    Installation("VntInstallation_2", "*");
    db->maxInstallationNumber = 3;
    EXPECT_EQ(db->RenumberSections(), 0);
    EXPECT_EQ(db->maxInstallationNumber, 3);
}

TEST_F(Renumber, TheLargestNumberMovesDownAtOnce) {
    PlugIn("PlugIn_2147483647", "Far", "x");
    PlugIn("PlugIn_07", "Not canonical", "x");
    PlugIn("PlugIn_abc", "No number", "x");
    ASSERT_EQ(db->maxPlugInNumber, 2147483647);
    EXPECT_EQ(db->RenumberSections(), 1);
    EXPECT_EQ(db->plugInNames.items(), (Names{"PlugIn_1", "PlugIn_07", "PlugIn_abc"}));
    EXPECT_EQ(db->maxPlugInNumber, 3);
    EXPECT_EQ(db->Entry("PlugIn_1")->DisplayName, "Far");
}

// The walk over every number, as the exit-time renumbering is defined, to
// compare against on small catalogs.
int ReferenceRenumber(ComponentDatabase& db) {
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
                    if (!names.contains(old) || !db.entries.contains(old)) continue;
                    CatalogEntry entry = *db.Entry(old);
                    db.entries.erase(old);
                    db.entries.set(name, entry);
                    names.replaceAt(names.indexOf(old), name);
                    moved = true;
                    ++found;
                    if (plugIns) {
                        for (const std::string& inst : db.installationNames) {
                            CatalogEntry* e = db.Entry(inst);
                            if (!e) continue;
                            std::size_t at = e->PlugInLst_GrpName.indexOf(old);
                            if (at != StringList::npos) e->PlugInLst_GrpName.replaceAt(at, name);
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
    db.flags |= kFlagModified;
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
    // Now and then a registered name has lost its entry.
    if (pick(4) == 0 && !db.plugInNames.empty())
        db.entries.erase(db.plugInNames[pick(static_cast<int>(db.plugInNames.size()))]);
    if (pick(3) == 0) db.maxPlugInNumber += pick(5);
    for (const std::string& inst : db.installationNames) {
        CatalogEntry* e = db.Entry(inst);
        if (!e) continue;
        const int links = pick(8);
        for (int l = 0; l < links; ++l) e->PlugInLst_GrpName.push_back("PlugIn_" + std::to_string(1 + pick(32)));
    }
}

TEST_F(Renumber, SameResultAsTheWalkOverEveryNumber) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        ComponentDatabase expected(machine.platform);
        ComponentDatabase actual(machine.platform);
        FillRandomly(expected, seed);
        FillRandomly(actual, seed);
        EXPECT_EQ(actual.RenumberSections(), ReferenceRenumber(expected)) << seed;
        EXPECT_EQ(actual.installationNames, expected.installationNames) << seed;
        EXPECT_EQ(actual.plugInNames, expected.plugInNames) << seed;
        EXPECT_EQ(actual.maxInstallationNumber, expected.maxInstallationNumber) << seed;
        EXPECT_EQ(actual.maxPlugInNumber, expected.maxPlugInNumber) << seed;
        EXPECT_EQ(actual.flags, expected.flags) << seed;
        EXPECT_EQ(actual.entries.size(), expected.entries.size()) << seed;
        for (const auto& item : expected.entries) {
            const CatalogEntry* mine = actual.Entry(item.key());
            ASSERT_NE(mine, nullptr) << seed << " " << item.key();
            EXPECT_EQ(mine->ProgLocation, item.value().ProgLocation) << seed << " " << item.key();
            EXPECT_EQ(mine->PlugInLst_GrpName, item.value().PlugInLst_GrpName) << seed << " " << item.key();
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
    db->flags = kFlagLoaded;

    db->UnregisterAllPlugIns();
    EXPECT_EQ(servers.calls, std::vector<std::string>{"unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins"});
    EXPECT_EQ(current.Status & kStatusFoundOrCurrent, 0);
    EXPECT_EQ(other.Status & kStatusFoundOrCurrent, 0);
    EXPECT_NE(db->Entry("PlugIn_1")->Status & kStatusFoundOrCurrent, 0) << "plug-ins keep their bit";
    EXPECT_EQ(db->flags & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
    std::string after;
    ASSERT_TRUE(machine.files.GetCurrentDirectory(&after, 1024));
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace comp_mgr
