// A catalog file that loads no section never takes the place of a backup
// that holds sections: the damaged file and the backup are kept under dated
// names, the load says what it found, and the status record tells the next
// load. An empty file on a machine without such a backup is a fresh catalog.
#include <string>

#include "app/component_manager_app.h"
#include "catalog/catalog_damage.h"
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

const char kGood[] =
    "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nPlugInLst_GrpName=PlugIn_1\r\n"
    "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\nDisplayName=One\r\n";
const char kDamagedCopy[] = "C:\\Vantrel\\db\\vnt_Compdb.damaged-20061204-150433.ini";
const char kBackupCopy[] = "C:\\Vantrel\\db\\vnt_Compdb.20061204-150433.ini";
const char kStatus[] = "C:\\Vantrel\\db\\vnt_Compdb.status";

const std::string kCommentsOnly = ";---\r\n; Vantrel Component Manager database\r\n;---\r\n";

TEST(DamagedCatalog, TheBackupSurvivesAndTheDamageIsKept) {
    struct Case {
        const char* name;
        std::string content;
        bool goodBackup;
        bool damage;  // told at the load and at the save
    };
    const Case cases[] = {
        {"random bytes", std::string("\x9c\xf1Z\x03q\xee\x81\x7f=\x02\xaa", 11), true, true},
        {"NUL bytes", std::string(4096, '\0'), true, true},
        {"cut inside the header", std::string(ComponentDatabase::SavedHeader(), 0, 70), true, true},
        {"empty, a good backup", "", true, true},
        {"empty, a fresh machine", "", false, false},
        {"comment lines only", kCommentsOnly, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMachine machine;
        machine.UseStandardLayout();
        machine.files.Put("C:\\Vantrel\\plugins\\one.dll", "MZ");
        machine.files.Put(TestMachine::kDbPath, c.content);
        if (c.goodBackup) machine.files.Put(TestMachine::kBakPath, kGood);
        {
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            EXPECT_EQ(c.damage, !app.database().loadDamage().empty()) << app.database().loadDamage();
            EXPECT_EQ(app.database().CountByKind(kKindPlugIn), 0);
            app.database().MarkModified(kFlagLinksChanged);
            app.ExitInstance();
            const ComponentDatabase& db = app.database();
            EXPECT_TRUE(db.saveFailure().empty()) << db.saveFailure();
            EXPECT_EQ(c.damage, !db.damageNotice().empty()) << db.damageNotice();
        }
        EXPECT_EQ(machine.files.Get(TestMachine::kDbPath).rfind(std::string(ComponentDatabase::SavedHeader()), 0),
                  0u);  // this run's catalog
        if (c.goodBackup) {
            EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), kGood);
        } else {
            EXPECT_EQ(machine.files.Get(TestMachine::kBakPath), c.content);  // as every save does
        }
        EXPECT_EQ(machine.files.Exists(kDamagedCopy), c.damage && !c.content.empty());
        if (machine.files.Exists(kDamagedCopy)) {
            EXPECT_EQ(machine.files.Get(kDamagedCopy), c.content);
        }
        EXPECT_EQ(machine.files.Exists(kBackupCopy), c.damage);
        if (!c.damage) continue;
        EXPECT_EQ(machine.files.Get(kBackupCopy), kGood);
        EXPECT_NE(machine.files.Get(kStatus).find(" damaged: "), std::string::npos);

        // The next runs save as usual; the copy of the good backup stays.
        machine.clock.Set(2006, 12, 5, 9, 0, 0);
        for (int run = 0; run < 2; ++run) {
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            if (run == 0) {
                EXPECT_NE(app.pendingMessage().find("could not be read"), std::string::npos) << app.pendingMessage();
                app.ShowPendingMessage();
            }
            EXPECT_TRUE(app.database().loadDamage().empty());
            app.database().MarkModified(kFlagLinksChanged);
            app.ExitInstance();
            EXPECT_TRUE(app.database().damageNotice().empty());
        }
        EXPECT_EQ(machine.files.Get(kBackupCopy), kGood);
    }
}

TEST(DamagedCatalog, WhatCountsAsDamage) {
    const std::string header(ComponentDatabase::SavedHeader());
    const struct {
        std::string content;
        bool section;
        bool damage;
    } cases[] = {
        {"", false, false},
        {"\r\n  \r\n", false, false},
        {header, false, false},
        {header.substr(0, header.size() - 1), false, true},
        {"# notes\n; more\n", false, false},
        {"DisplayName=x\r\n", false, true},
        {std::string("\0[PlugIn_1]", 11), false, true},  // the load cuts the line at the NUL
        {"  [PlugIn_1\r\nx=y", true, false},
        {"junk\r\n[VntInstallation_1]\r\n", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(HoldsSectionHeader(c.content), c.section);
        if (!c.section) {
            EXPECT_EQ(!DescribeDamage(c.content, header).empty(), c.damage);
        }
    }
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
