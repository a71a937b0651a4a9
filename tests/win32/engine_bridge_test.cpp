// The engine bridge on Windows with real COM: the scripted test engine DLL
// (tests/fixtures/fixture_engine.cpp) and the product engine, found by the
// system's search for the bare name from a scratch current directory (the
// test program's own folder holds no engine), error information through
// ISupportErrorInfo and GetErrorInfo.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "services/engine_bridge/com_error.h"
#include "services/engine_bridge/component_engine.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::ReadFileBytes;
using win32_test::ScratchFolder;
using win32_test::WriteFileBytes;
using Lines = std::vector<std::string>;

const char kHost[] = "D:\\VANTREL\\BIN\\VN_APP.EXE";

class Win32EngineTest : public ::testing::Test {
public:
    Win32EngineTest() : platform_(Win32Settings{}) {
        char cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(MAX_PATH, cwd);
        previous_ = cwd;
        SetCurrentDirectoryA(folder.path().c_str());
    }
    ~Win32EngineTest() override { SetCurrentDirectoryA(previous_.c_str()); }

    void PutEngine(const char* library, const std::string& script = "") {
        CopyFileA(library, (folder / "VntCoreComponentEngine.dll").c_str(), FALSE);
        WriteFileBytes(folder / "VntCoreComponentEngine.script", script);
    }
    Lines Logged() const {
        Lines lines;
        std::string text = ReadFileBytes(folder / "VntCoreComponentEngine.log");
        if (text == "<missing>") return lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void Reset() {
        DeleteFileA((folder / "VntCoreComponentEngine.dll").c_str());
        DeleteFileA((folder / "VntCoreComponentEngine.log").c_str());
        DeleteFileA((folder / "VntCoreComponentEngine.policy").c_str());
    }
    const Platform& platform() { return platform_.platform(); }

    ScratchFolder folder;

private:
    Win32Platform platform_;
    std::string previous_;
};

TEST_F(Win32EngineTest, TestEngineGetsEachQuestionWithItsCharactersAndAnswersAsScripted) {
    PutEngine(VNT_FIXTURE_ENGINE, "host = 42\nsettled Caf\xC3\xA9 \xE2\x82\xAC = 5\nrejected * = -1\n");
    ComponentEngine engine(platform());
    EXPECT_EQ(engine.QueryHost(kHost), 42);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "Caf\xE9 \x80"), 5);  // the ANSI code page in, UTF-8 in the log
    EXPECT_EQ(engine.IsPluginRejected(kHost, "Other"), -1);
    EXPECT_EQ(Logged(), (Lines{"DllGetClassObject", "CreateInstance", "QueryHost D:\\VANTREL\\BIN\\VN_APP.EXE -> 42",
                               "release engine", "release factory", "DllGetClassObject", "CreateInstance",
                               "IsPluginSettled D:\\VANTREL\\BIN\\VN_APP.EXE|Caf\xC3\xA9 \xE2\x82\xAC -> 5",
                               "release engine", "release factory", "DllGetClassObject", "CreateInstance",
                               "IsPluginRejected D:\\VANTREL\\BIN\\VN_APP.EXE|Other -> -1", "release engine",
                               "release factory"}));
}

TEST_F(Win32EngineTest, EngineThatCannotBeLoadedHasNoObjection) {
    struct Case {
        const char* what;
        std::function<void(Win32EngineTest&)> arrange;
        Lines logged;
    };
    const std::vector<Case> cases = {
        {"none", [](Win32EngineTest&) {}, {}},
        {"not a library",
         [](Win32EngineTest& t) { WriteFileBytes(t.folder / "VntCoreComponentEngine.dll", "MZ junk"); },
         {}},
        {"no DllGetClassObject", [](Win32EngineTest& t) { t.PutEngine(VNT_FIXTURE_NO_EXPORT); }, {}},
        {"factory refuses",
         [](Win32EngineTest& t) { t.PutEngine(VNT_FIXTURE_ENGINE, "factory refuse\n"); },
         {"DllGetClassObject", "CreateInstance", "release factory"}},
        {"null object with success",
         [](Win32EngineTest& t) { t.PutEngine(VNT_FIXTURE_ENGINE, "factory null\n"); },
         {"DllGetClassObject", "CreateInstance", "release factory"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        c.arrange(*this);
        ComponentEngine engine(platform());
        EXPECT_EQ(engine.QueryHost(kHost), 1);
        EXPECT_EQ(engine.IsPluginSettled(kHost, "P"), 0);
        Lines expected = c.logged;
        expected.insert(expected.end(), c.logged.begin(), c.logged.end());
        EXPECT_EQ(Logged(), expected);
    }
}

TEST_F(Win32EngineTest, FailingMethodRaisesComErrorWithTheEnginesDescription) {
    struct Case {
        const char* answer;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"fail 0x80040005 info Richtlinie besch\xC3\xA4"
         "digt",
         "Richtlinie besch\xE4"
         "digt"},
        {"fail 0x80040005 declared", ""},
        {"fail 0x80040005", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        Reset();
        PutEngine(VNT_FIXTURE_ENGINE, std::string("rejected * = ") + c.answer + "\n");
        ComponentEngine engine(platform());
        try {
            engine.IsPluginRejected(kHost, "P");
            ADD_FAILURE() << "no error raised";
        } catch (const ComError& e) {
            EXPECT_EQ(static_cast<std::uint32_t>(e.result()), 0x80040005u);
            EXPECT_EQ(e.description(), c.description);
        }
        EXPECT_EQ(Logged(), (Lines{"DllGetClassObject", "CreateInstance",
                                   "IsPluginRejected D:\\VANTREL\\BIN\\VN_APP.EXE|P -> fail 0x80040005",
                                   "release engine", "release factory"}));
    }
}

TEST_F(Win32EngineTest, ProductEngineAnswersFromThePolicyBesideIt) {
    PutEngine(VNT_COMPONENT_ENGINE);
    ComponentEngine engine(platform());
    EXPECT_EQ(engine.IsPluginRejected(kHost, "Flash BETA"), 0);
    WriteFileBytes(folder / "VntCoreComponentEngine.policy",
                   "[all]\r\nsettle = Vantrel *\r\nreject = *beta*\r\n[VN_APP.EXE]\r\nsettle = \xC3\x84nderungs*\r\n");
    EXPECT_EQ(engine.QueryHost(kHost), 3);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "vantrel flash"), -1);
    EXPECT_EQ(engine.IsPluginRejected(kHost, "Flash BETA"), -1);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "\xE4nderungsdienst"), -1);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "Flash"), 0);
}

}  // namespace
}  // namespace comp_mgr
