// Loading a plug-in server and calling its self-registration export.
#include <gtest/gtest.h>

#include <memory>

#include "support/fake_servers.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::TestCatalog;
using testing_support::TestMachine;

class RegisterServerTest : public ::testing::Test {
protected:
    RegisterServerTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        machine.files.MakeFolder("C:\\Ide\\plugins");
        db = std::make_unique<TestCatalog>(machine.platform);
    }
    std::string CurrentDirectory() {
        std::string cwd;
        machine.files.GetCurrentDirectory(&cwd, 1024);
        return cwd;
    }

    TestMachine machine;
    FakeServers servers{machine};
    std::unique_ptr<TestCatalog> db;
};

TEST_F(RegisterServerTest, EachActionCallsItsExportFromTheServersFolder) {
    servers.Add("C:\\Ide\\plugins\\a.dll");
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\a.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\a.dll", ServerAction::kUnregister);
    EXPECT_EQ(servers.calls, (std::vector<std::string>{"register C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins",
                                                       "unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins"}));
    // Every library loaded was unloaded again; the folder stays current for
    // the caller to restore.
    EXPECT_EQ(machine.loader.openCount, 0);
    EXPECT_EQ(CurrentDirectory(), "C:\\Ide\\plugins");
}

TEST_F(RegisterServerTest, DoubledBackslashesAreReducedForTheFolderButNotForLoading) {
    const std::string doubled = "C:\\\\Ide\\\\plugins\\\\a.dll";
    servers.Add(doubled);
    db->services.registration.RegisterServer(doubled, ServerAction::kRegister);
    ASSERT_EQ(servers.calls.size(), 1u);
    EXPECT_EQ(servers.calls[0], "register " + doubled + " cwd=C:\\Ide\\plugins");
    EXPECT_EQ(machine.loader.loads.back(), doubled);
}

TEST_F(RegisterServerTest, LibrariesThatDoNotLoadOrLackTheExportArePassedOver) {
    servers.Add("C:\\Ide\\plugins\\only_unregister.dll", /*withRegister=*/false, /*withUnregister=*/true);
    servers.Add("C:\\Ide\\plugins\\only_register.ocx", /*withRegister=*/true, /*withUnregister=*/false);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\missing.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\only_unregister.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\only_register.ocx", ServerAction::kUnregister);
    db->services.registration.RegisterServer("", ServerAction::kRegister);
    EXPECT_TRUE(servers.calls.empty());
    EXPECT_EQ(machine.loader.openCount, 0);

    db->services.registration.RegisterServer("C:\\Ide\\plugins\\only_unregister.dll", ServerAction::kUnregister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\only_register.ocx", ServerAction::kRegister);
    EXPECT_EQ(servers.calls.size(), 2u);
}

TEST_F(RegisterServerTest, APathWithoutFolderLeavesTheCurrentDirectory) {
    machine.files.MakeFolder("C:\\Work");
    machine.files.SetCurrentDirectory("C:\\Work");
    servers.Add("a.dll");
    db->services.registration.RegisterServer("a.dll", ServerAction::kRegister);
    EXPECT_EQ(servers.calls, (std::vector<std::string>{"register a.dll cwd=C:\\Work"}));
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");
}

}  // namespace
}  // namespace comp_mgr
