// Loading a plug-in server and calling its self-registration export.
#include <gtest/gtest.h>

#include <memory>

#include "catalog/component_database.h"
#include "support/fake_servers.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::TestMachine;

class RegisterServerTest : public ::testing::Test {
protected:
    RegisterServerTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        machine.files.MakeFolder("C:\\Ide\\plugins");
        db = std::make_unique<ComponentDatabase>(machine.platform);
    }
    std::string CurrentDirectory() {
        std::string cwd;
        machine.files.GetCurrentDirectory(&cwd, 1024);
        return cwd;
    }

    TestMachine machine;
    FakeServers servers{machine};
    std::unique_ptr<ComponentDatabase> db;
};

TEST_F(RegisterServerTest, ModeOneRegistersAnyOtherModeUnregistersFromTheServersFolder) {
    servers.Add("C:\\Ide\\plugins\\a.dll");
    db->RegisterServer("C:\\Ide\\plugins\\a.dll", 1);
    db->RegisterServer("C:\\Ide\\plugins\\a.dll", 0);
    db->RegisterServer("C:\\Ide\\plugins\\a.dll", 7);
    EXPECT_EQ(servers.calls, (std::vector<std::string>{"register C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins",
                                                       "unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins",
                                                       "unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins"}));
    // Every library loaded was unloaded again; the folder stays current for
    // the caller to restore.
    EXPECT_EQ(machine.loader.openCount, 0);
    EXPECT_EQ(CurrentDirectory(), "C:\\Ide\\plugins");
}

TEST_F(RegisterServerTest, DoubledBackslashesAreReducedForTheFolderButNotForLoading) {
    const std::string doubled = "C:\\\\Ide\\\\plugins\\\\a.dll";
    servers.Add(doubled);
    db->RegisterServer(doubled, 1);
    ASSERT_EQ(servers.calls.size(), 1u);
    EXPECT_EQ(servers.calls[0], "register " + doubled + " cwd=C:\\Ide\\plugins");
    EXPECT_EQ(machine.loader.loads.back(), doubled);
}

TEST_F(RegisterServerTest, LibrariesThatDoNotLoadOrLackTheExportArePassedOver) {
    servers.Add("C:\\Ide\\plugins\\only_unregister.dll", /*withRegister=*/false, /*withUnregister=*/true);
    servers.Add("C:\\Ide\\plugins\\only_register.ocx", /*withRegister=*/true, /*withUnregister=*/false);
    db->RegisterServer("C:\\Ide\\plugins\\missing.dll", 1);
    db->RegisterServer("C:\\Ide\\plugins\\only_unregister.dll", 1);
    db->RegisterServer("C:\\Ide\\plugins\\only_register.ocx", 0);
    db->RegisterServer("", 1);
    EXPECT_TRUE(servers.calls.empty());
    EXPECT_EQ(machine.loader.openCount, 0);

    db->RegisterServer("C:\\Ide\\plugins\\only_unregister.dll", 0);
    db->RegisterServer("C:\\Ide\\plugins\\only_register.ocx", 1);
    EXPECT_EQ(servers.calls.size(), 2u);
}

TEST_F(RegisterServerTest, APathWithoutFolderLeavesTheCurrentDirectory) {
    machine.files.MakeFolder("C:\\Work");
    machine.files.SetCurrentDirectory("C:\\Work");
    servers.Add("a.dll");
    db->RegisterServer("a.dll", 1);
    EXPECT_EQ(servers.calls, (std::vector<std::string>{"register a.dll cwd=C:\\Work"}));
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");
}

}  // namespace
}  // namespace comp_mgr
