// The catalog's file side through the application object's start-up and
// unload: untouched files when nothing changed, the discarded run, and the
// message left by a recovery.
#include <cstring>

#include "app/component_manager_app.h"
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

class CatalogAppTest : public ::testing::Test {
protected:
    CatalogAppTest() {
        machine.UseStandardLayout();
        machine.files.Put("C:\\Vantrel\\plugins\\one.dll", "MZ");
        machine.files.Put(TestMachine::kBakPath, "old backup");
    }
    std::string Db() { return machine.files.Get(TestMachine::kDbPath); }
    std::string Bak() { return machine.files.Get(TestMachine::kBakPath); }

    TestMachine machine;
};

const char kCatalog[] =
    "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nPlugInLst_GrpName=PlugIn_1\r\n"
    "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\nDisplayName=One\r\n";

TEST_F(CatalogAppTest, RunWithoutChangesLeavesBothFilesAlone) {
    machine.files.Put(TestMachine::kDbPath, kCatalog);
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        EXPECT_EQ(app.database().flags() & kFlagModified, 0u);
        EXPECT_TRUE(app.pendingMessage().empty());
        app.ExitInstance();
    }
    EXPECT_EQ(Db(), kCatalog);
    EXPECT_EQ(Bak(), "old backup");
}

TEST_F(CatalogAppTest, RecoveryLeavesAMessageAndIsSavedAtUnload) {
    machine.files.Put(TestMachine::kDbPath, "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_4"));
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        EXPECT_EQ(app.database().flags() & (kFlagModified | kFlagChangeKinds), kFlagModified);
        EXPECT_TRUE(machine.ui.messages.empty());
        app.ShowPendingMessage();
        ASSERT_EQ(machine.ui.messages.size(), 1u);
        EXPECT_EQ(machine.ui.messages[0].first, "comp_mgr");
        EXPECT_NE(machine.ui.messages[0].second.find("recovered from backup"), std::string::npos);
        EXPECT_TRUE(app.pendingMessage().empty());
        app.ExitInstance();
    }
    EXPECT_EQ(Bak(), "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    EXPECT_NE(Db().find("[VntInstallation_1]\r\nDisplayName      =\r\nProgLocation     =C:\\Vantrel\\bin\\vn_app.exe"),
              std::string::npos);
}

TEST_F(CatalogAppTest, AbortedRunSavesNothing) {
    machine.files.Put(TestMachine::kDbPath, "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_4"));
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        ASSERT_NE(app.database().flags() & kFlagModified, 0u);
        app.AbortUpdate();
        app.ExitInstance();
    }
    EXPECT_EQ(Db(), "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    EXPECT_EQ(Bak(), "old backup");
}

// What a save at unload could not do is told at the next load, and only
// until the user has seen it: a save that failed (the old files stay), and
// another program's save in between (its version is kept aside, this run's
// catalog written).
TEST_F(CatalogAppTest, WhatTheSaveCouldNotDoIsToldAtTheNextLoad) {
    const char kStatus[] = "C:\\Vantrel\\db\\vnt_Compdb.status";
    const char kKept[] = "C:\\Vantrel\\db\\vnt_Compdb.20061204-150433.ini";
    const char kOther[] = "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nDisplayName=Other\r\n";
    struct Case {
        const char* name;
        bool failing;  // else another program saves between load and unload
        const char* toldFirst;
        const char* toldInRecord;
    };
    const Case cases[] = {
        {"failed", true, "could not be saved", "not saved: cannot write C:\\Vantrel\\db\\vnt_Compdb.ini"},
        {"kept aside", false, "changed by another program",
         "that version was kept as C:\\Vantrel\\db\\vnt_Compdb.2006"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.files.Remove(kStatus);
        machine.files.Remove(kKept);
        machine.files.Put(TestMachine::kDbPath, kCatalog);
        machine.files.Put(TestMachine::kBakPath, "old backup");
        {
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            app.database().MarkModified(kFlagLinksChanged);
            if (c.failing) {
                // Something no file took the catalog's place.
                machine.files.Remove(TestMachine::kDbPath);
                machine.files.MakeFolder(TestMachine::kDbPath);
            } else {
                machine.files.Put(TestMachine::kDbPath, kOther);
            }
            app.ExitInstance();
            const ComponentDatabase& db = app.database();
            EXPECT_EQ(c.failing, !db.saveFailure().empty()) << db.saveFailure();
            EXPECT_EQ(!c.failing, !db.saveNotice().empty()) << db.saveNotice();
        }
        const std::string record = machine.files.Get(kStatus);
        EXPECT_NE(record.find(c.toldInRecord), std::string::npos) << record;
        if (c.failing) {
            EXPECT_EQ(Bak(), "old backup");
            machine.files.Remove(TestMachine::kDbPath);
            machine.files.Put(TestMachine::kDbPath, kCatalog);
        } else {
            EXPECT_EQ(machine.files.Get(kKept), kOther);
            EXPECT_EQ(Bak(), kOther);
            EXPECT_NE(Db().find("PlugInLst_GrpName=PlugIn_1"), std::string::npos);
        }
        {
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            EXPECT_NE(app.pendingMessage().find(c.toldFirst), std::string::npos) << app.pendingMessage();
            EXPECT_TRUE(machine.files.Exists(kStatus));
            app.ShowPendingMessage();
            EXPECT_FALSE(machine.files.Exists(kStatus));
            // Its own save is no other program's.
            app.database().MarkModified(kFlagLinksChanged);
            app.ExitInstance();
            EXPECT_TRUE(app.database().saveNotice().empty());
            EXPECT_TRUE(app.database().saveFailure().empty());
            app.database().MarkModified(kFlagLinksChanged);
            app.ExitInstance();
            EXPECT_TRUE(app.database().saveNotice().empty());
        }
        EXPECT_FALSE(machine.files.Exists(kStatus));
    }
}

// Another program's save between this run's load and unload: its changes to
// sections this run left alone are taken in; where both changed one section
// its version is kept aside instead.
TEST_F(CatalogAppTest, AnotherProgramsChangesToOtherSectionsAreMerged) {
    const char kKept[] = "C:\\Vantrel\\db\\vnt_Compdb.20061204-150433.ini";
    struct Case {
        const char* name;
        const char* from;  // the other program's change to the saved file
        const char* to;
        bool merged;
    };
    const Case cases[] = {
        {"an installation added", "", "[VntInstallation_2]\r\nProgLocation=C:\\Other\\bin\\vn_app.exe\r\n", true},
        {"another section changed", "GroupDescription =\r\n", "GroupDescription =Theirs\r\n", true},
        {"the same section changed", "DisplayName      =One", "DisplayName      =Theirs", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.files.Remove(kKept);
        machine.files.Put(TestMachine::kDbPath, kCatalog);
        {  // the file as the library writes it, so that sections read back as written
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            app.database().MarkModified(kFlagLinksChanged);
            app.ExitInstance();
        }
        const std::string saved = Db();
        std::string other = saved;
        if (*c.from) {
            ASSERT_NE(other.find(c.from), std::string::npos);
            other.replace(other.find(c.from), std::strlen(c.from), c.to);
        } else {
            other += c.to;
        }
        {
            ComponentManagerApp app(machine.platform);
            app.InitInstance();
            app.database().Entry("PlugIn_1")->DisplayName = "Mine";
            app.database().MarkModified(kFlagLinksChanged);
            machine.files.Put(TestMachine::kDbPath, other);
            app.ExitInstance();
            EXPECT_EQ(c.merged, app.database().saveNotice().empty()) << app.database().saveNotice();
        }
        EXPECT_NE(Db().find("DisplayName      =Mine"), std::string::npos) << Db();
        EXPECT_EQ(c.merged, !machine.files.Exists(kKept));
        if (c.merged) {
            EXPECT_NE(Db().find(*c.from ? "GroupDescription =Theirs" : "ProgLocation     =C:\\Other\\bin\\vn_app.exe"),
                      std::string::npos)
                << Db();
        } else {
            EXPECT_EQ(machine.files.Get(kKept), other);
        }
    }
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
