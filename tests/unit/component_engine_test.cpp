// The engine bridge: the host path it reports and how it treats an engine
// library that is missing or incomplete.
#include <gtest/gtest.h>

#include "app/component_manager_app.h"
#include "services/engine_bridge/component_engine.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {
namespace {

int FakeExport() {
    return 0;
}

TEST(EngineHostPathTest, ToolPathNamesTheIdeProgramBesideIt) {
    EXPECT_EQ(EngineHostPath("C:\\Vantrel\\bin\\vn_app.exe"), "C:\\VANTREL\\BIN\\VN_APP.EXE");
    EXPECT_EQ(EngineHostPath("C:\\Vantrel\\bin\\comp_mgr.exe"), "C:\\VANTREL\\BIN\\VN_APP.EXE");
    // Only the first occurrence goes; the IDE name is appended at the end.
    EXPECT_EQ(EngineHostPath("C:\\comp_mgr.exe\\x\\COMP_MGR.EXE"), "C:\\\\X\\COMP_MGR.EXEVN_APP.EXE");
    EXPECT_EQ(EngineHostPath(""), "");
}

TEST(ComponentEngineTest, MissingEngineAnswersAsIfItHadNoObjection) {
    TestMachine machine;
    ComponentEngine engine(machine.platform);
    EXPECT_EQ(engine.QueryHost("C:\\VANTREL\\BIN\\VN_APP.EXE"), 1);
    ASSERT_EQ(machine.loader.loads.size(), 1u);
    EXPECT_EQ(machine.loader.loads[0], "VntCoreComponentEngine.dll");
    EXPECT_EQ(machine.loader.openCount, 0);
}

TEST(ComponentEngineTest, EngineLibraryIsAlwaysFreedAgain) {
    TestMachine machine;
    machine.loader.AddLibrary("VntCoreComponentEngine.dll", {});
    {
        ComponentEngine engine(machine.platform);
        EXPECT_EQ(engine.QueryHost("H"), 1);  // no DllGetClassObject: not loadable
        EXPECT_EQ(machine.loader.openCount, 0);
    }
    machine.loader.AddLibrary("VntCoreComponentEngine.dll",
                              {{"DllGetClassObject", reinterpret_cast<void*>(&FakeExport)}});
    ComponentEngine engine(machine.platform);
    EXPECT_EQ(engine.QueryHost("H"), 1);
    EXPECT_EQ(machine.loader.openCount, 0);
}

TEST(ComponentEngineTest, ApplicationStartAsksTheEngineOnce) {
    TestMachine machine;
    machine.UseStandardLayout();
    ComponentManagerApp app(machine.platform);
    ASSERT_EQ(machine.loader.loads.size(), 1u);
    EXPECT_EQ(machine.loader.loads[0], "VntCoreComponentEngine.dll");
    EXPECT_EQ(machine.loader.openCount, 0);

    // Without a module path nothing is asked.
    machine.process.modulePath.clear();
    ComponentManagerApp quiet(machine.platform);
    EXPECT_EQ(machine.loader.loads.size(), 1u);
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
