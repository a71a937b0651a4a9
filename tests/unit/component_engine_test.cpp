// The engine bridge on the in-memory ports: the host path it reports, the
// order of its steps and releases, every way an engine can fail to load, and
// the COM errors a failing call raises.
#include <gtest/gtest.h>

#include <functional>

#include "app/component_manager_app.h"
#include "services/engine_bridge/com_error.h"
#include "services/engine_bridge/component_engine.h"
#include "support/fake_engine.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {
namespace {

using engine_abi::kFail;
using engine_abi::kOk;

const char kHost[] = "C:\\VANTREL\\BIN\\VN_APP.EXE";

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

// After any question nothing of the engine may be held.
void ExpectNothingHeld(const TestMachine& machine, const FakeEngine& fake) {
    EXPECT_EQ(machine.loader.openCount, 0);
    EXPECT_EQ(fake.liveObjects, 0);
    EXPECT_EQ(machine.com.liveStrings, 0);
}

TEST(ComponentEngineTest, EveryEngineThatCannotBeLoadedAnswersAsIfItHadNoObjection) {
    struct Case {
        const char* what;
        std::function<void(TestMachine&, FakeEngine&)> arrange;
        std::vector<std::string> steps;  // of one question
    };
    const std::vector<Case> cases = {
        {"no engine library", [](TestMachine& m, FakeEngine&) { m.loader = MemoryLoader(); }, {}},
        {"no DllGetClassObject",
         [](TestMachine& m, FakeEngine&) {
             m.loader = MemoryLoader();
             m.loader.AddLibrary("VntCoreComponentEngine.dll",
                                 {{"DllRegisterServer", reinterpret_cast<void*>(&FakeExport)}});
         },
         {}},
        {"class object refused",
         [](TestMachine&, FakeEngine& f) { f.classObjectResult = kFail; },
         {"DllGetClassObject"}},
        {"null factory with success", [](TestMachine&, FakeEngine& f) { f.nullFactory = true; }, {"DllGetClassObject"}},
        {"factory refuses",
         [](TestMachine&, FakeEngine& f) { f.createResult = engine_abi::kClassNotAvailable; },
         {"DllGetClassObject", "CreateInstance", "release factory open=1"}},
        {"null object with success",
         [](TestMachine&, FakeEngine& f) { f.nullObject = true; },
         {"DllGetClassObject", "CreateInstance", "release factory open=1"}},
        {"null object with S_FALSE",
         [](TestMachine&, FakeEngine& f) {
             f.nullObject = true;
             f.createResult = engine_abi::kFalse;
         },
         {"DllGetClassObject", "CreateInstance", "release factory open=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestMachine machine;
        FakeEngine fake(machine);
        fake.hostAnswer = 5;
        fake.settledAnswer = fake.rejectedAnswer = -1;
        c.arrange(machine, fake);
        ComponentEngine engine(machine.platform);
        EXPECT_EQ(engine.QueryHost(kHost), 1);
        EXPECT_EQ(engine.IsPluginSettled(kHost, "P"), 0);
        EXPECT_EQ(engine.IsPluginRejected(kHost, "P"), 0);
        std::vector<std::string> expected;
        for (int question = 0; question < 3; ++question)
            expected.insert(expected.end(), c.steps.begin(), c.steps.end());
        EXPECT_EQ(fake.calls, expected);
        EXPECT_EQ(machine.loader.loads, std::vector<std::string>(3, "VntCoreComponentEngine.dll"));
        ExpectNothingHeld(machine, fake);
    }
}

TEST(ComponentEngineTest, EachQuestionLoadsCallsOnceAndReleasesInOrder) {
    struct Case {
        const char* method;
        std::function<std::int32_t(ComponentEngine&)> ask;
        std::string call;
        std::int32_t answer;
    };
    const std::vector<Case> cases = {
        {"QueryHost", [](ComponentEngine& e) { return e.QueryHost(kHost); }, "QueryHost C:\\VANTREL\\BIN\\VN_APP.EXE",
         -7},
        {"IsPluginSettled", [](ComponentEngine& e) { return e.IsPluginSettled(kHost, "Flash Tool"); },
         "IsPluginSettled C:\\VANTREL\\BIN\\VN_APP.EXE|Flash Tool", 5},
        {"IsPluginRejected", [](ComponentEngine& e) { return e.IsPluginRejected(kHost, ""); },
         "IsPluginRejected C:\\VANTREL\\BIN\\VN_APP.EXE|", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        TestMachine machine;
        FakeEngine fake(machine);
        fake.hostAnswer = -7;
        fake.settledAnswer = 5;  // neither true nor false: passed on as it is
        fake.rejectedAnswer = -1;
        ComponentEngine engine(machine.platform);
        EXPECT_EQ(machine.com.initializeCount, 1);
        EXPECT_EQ(c.ask(engine), c.answer);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"DllGetClassObject", "CreateInstance", c.call,
                                                        "release engine open=1", "release factory open=1"}));
        ExpectNothingHeld(machine, fake);
    }
}

TEST(ComponentEngineTest, NarrowTextsReachTheEngineAsTheirUtf16Characters) {
    TestMachine machine;
    FakeEngine fake(machine);
    ComponentEngine engine(machine.platform);
    engine.IsPluginSettled("C:\\PROGRAMME\\\xC4RGER\\VN_APP.EXE", "Caf\xE9 \x80 \x81");
    ASSERT_EQ(fake.arguments.size(), 2u);
    EXPECT_EQ(fake.arguments[0], u"C:\\PROGRAMME\\\u00C4RGER\\VN_APP.EXE");
    // 0x80 is the euro sign in code page 1252; 0x81 is undefined there and
    // stays the control character of that value.
    EXPECT_EQ(fake.arguments[1], u"Caf\u00E9 \u20AC \u0081");
}

TEST(ComponentEngineTest, FailingMethodRaisesComErrorWithTheDeclaredDescription) {
    struct Case {
        const char* what;
        bool declares;
        bool leaves;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"declared and left", true, true, "policy file damaged: \xE9"},
        {"declared, left with no text", true, true, ""},
        {"declared, none left", true, false, ""},
        {"not declared", false, false, ""},
        // An object left without the declaration stays on the thread, as
        // COM leaves it; the description is not taken from it.
        {"left but not declared", false, true, "not read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestMachine machine;
        FakeEngine fake(machine);
        fake.methodResult = static_cast<engine_abi::HResult>(0x80040005);
        fake.declaresErrorInfo = c.declares;
        fake.leavesErrorInfo = c.leaves;
        fake.errorDescription = c.description;
        ComponentEngine engine(machine.platform);
        try {
            engine.IsPluginRejected(kHost, "P");
            ADD_FAILURE() << "no error raised";
        } catch (const ComError& e) {
            EXPECT_EQ(e.result(), static_cast<std::int32_t>(0x80040005));
            EXPECT_EQ(e.description(), c.declares && c.leaves ? c.description : "");
        }
        // The engine is gone before the error reaches the caller.
        EXPECT_EQ(fake.calls.back(), "release factory open=1");
        EXPECT_EQ(fake.calls[fake.calls.size() - 2], "release engine open=1");
        if (!c.declares && c.leaves) {
            ASSERT_NE(machine.com.errorInfo, nullptr);
            engine_abi::Release(machine.com.TakeErrorInfo(nullptr));
        }
        ExpectNothingHeld(machine, fake);
    }
}

TEST(ComponentEngineTest, StringCopyThatCannotBeMadeRaisesOutOfMemoryWithoutCalling) {
    for (int copiesMade : {0, 1}) {
        SCOPED_TRACE(copiesMade);
        TestMachine machine;
        FakeEngine fake(machine);
        machine.com.allocationsUntilFailure = copiesMade;
        ComponentEngine engine(machine.platform);
        try {
            engine.IsPluginSettled(kHost, "P");
            ADD_FAILURE() << "no error raised";
        } catch (const ComError& e) {
            EXPECT_EQ(e.result(), kComOutOfMemory);
            EXPECT_EQ(e.description(), "");
        }
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"DllGetClassObject", "CreateInstance", "release engine open=1",
                                                        "release factory open=1"}));
        ExpectNothingHeld(machine, fake);
    }
}

TEST(ComponentEngineTest, ApplicationStartTellsTheEngineTheHostOnceAndSurvivesItsFailure) {
    TestMachine machine;
    machine.UseStandardLayout();
    machine.process.modulePath = "C:\\Vantrel\\bin\\comp_mgr.exe";
    FakeEngine fake(machine);
    {
        ComponentManagerApp app(machine.platform);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"DllGetClassObject", "CreateInstance",
                                                        "QueryHost C:\\VANTREL\\BIN\\VN_APP.EXE",
                                                        "release engine open=1", "release factory open=1"}));
    }
    // A failing QueryHost is dropped: the start-up goes on to the catalog.
    fake.calls.clear();
    fake.methodResult = kFail;
    fake.declaresErrorInfo = fake.leavesErrorInfo = true;
    fake.errorDescription = "no";
    ComponentManagerApp failing(machine.platform);
    EXPECT_EQ(fake.calls[2], "QueryHost C:\\VANTREL\\BIN\\VN_APP.EXE");
    EXPECT_EQ(fake.calls.back(), "release factory open=1");
    EXPECT_EQ(failing.InitInstance(), 1);
    ExpectNothingHeld(machine, fake);

    // Without a module path nothing is asked.
    fake.calls.clear();
    machine.process.modulePath.clear();
    ComponentManagerApp quiet(machine.platform);
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
