// The engine bridge on the hosted machine with real engine libraries: the
// scripted test engine (tests/fixtures/fixture_engine.cpp), which logs every
// call beside itself, and the product engine of engine/ with a policy.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_platform.h"
#include "services/engine_bridge/com_error.h"
#include "services/engine_bridge/component_engine.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;
using Lines = std::vector<std::string>;

const char kHost[] = "C:\\VANTREL\\BIN\\VN_APP.EXE";
const char kBin[] = "drive_c/Vantrel/bin/";
const char kSystem[] = "drive_c/Windows/System32/";

class HostedEngineTest : public ::testing::Test {
public:
    HostedEngineTest() {
        root.Write("drive_c/Vantrel/bin/vn_app.exe", "MZ");
        HostedSettings settings;
        settings.root = root.path();
        settings.hostExe = "C:\\Vantrel\\bin\\vn_app.exe";
        settings.ui = "none";
        hosted = std::make_unique<HostedPlatform>(settings);
    }

    // Puts `library` down as the engine in `folder`, with its script.
    void PutEngine(const char* library, const std::string& folder = kBin, const std::string& script = "") {
        std::filesystem::create_directories(root.Host(folder));
        std::filesystem::copy_file(library, root.Host(folder + "VntCoreComponentEngine.dll"),
                                   std::filesystem::copy_options::overwrite_existing);
        root.Write(folder + "VntCoreComponentEngine.script", script);
    }
    Lines Logged(const std::string& folder = kBin) const {
        Lines lines;
        std::istringstream in(root.Read(folder + "VntCoreComponentEngine.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    const Platform& platform() { return hosted->platform(); }

    TestRoot root;
    std::unique_ptr<HostedPlatform> hosted;
};

TEST_F(HostedEngineTest, TestEngineGetsEachQuestionWithItsCharactersAndAnswersAsScripted) {
    PutEngine(VNT_FIXTURE_ENGINE, kBin,
              "host = 42\nsettled Flash = -1\nsettled Caf\xC3\xA9 \xE2\x82\xAC = 5\nrejected * = -1\n");
    ComponentEngine engine(platform());
    EXPECT_EQ(engine.QueryHost(kHost), 42);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "Flash"), -1);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "Caf\xE9 \x80"), 5);  // code page 1252 in, UTF-8 in the log
    EXPECT_EQ(engine.IsPluginRejected(kHost, "Other"), -1);
    auto asked = [](const std::string& call) {
        return Lines{"DllGetClassObject", "CreateInstance", call, "release engine", "release factory"};
    };
    Lines expected;
    for (const char* call :
         {"QueryHost C:\\VANTREL\\BIN\\VN_APP.EXE -> 42", "IsPluginSettled C:\\VANTREL\\BIN\\VN_APP.EXE|Flash -> -1",
          "IsPluginSettled C:\\VANTREL\\BIN\\VN_APP.EXE|Caf\xC3\xA9 \xE2\x82\xAC -> 5",
          "IsPluginRejected C:\\VANTREL\\BIN\\VN_APP.EXE|Other -> -1"}) {
        Lines one = asked(call);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(Logged(), expected);
}

TEST_F(HostedEngineTest, EngineThatCannotBeLoadedHasNoObjection) {
    struct Case {
        const char* what;
        std::function<void(HostedEngineTest&)> arrange;
        Lines logged;  // of one question
    };
    const std::vector<Case> cases = {
        {"none", [](HostedEngineTest&) {}, {}},
        {"not a library",
         [](HostedEngineTest& t) { t.root.Write("drive_c/Vantrel/bin/VntCoreComponentEngine.dll", "MZ junk"); },
         {}},
        {"no DllGetClassObject", [](HostedEngineTest& t) { t.PutEngine(VNT_FIXTURE_NO_EXPORT); }, {}},
        {"class object refused",
         [](HostedEngineTest& t) { t.PutEngine(VNT_FIXTURE_ENGINE, kBin, "classobject refuse\n"); },
         {"DllGetClassObject"}},
        {"factory refuses",
         [](HostedEngineTest& t) { t.PutEngine(VNT_FIXTURE_ENGINE, kBin, "factory refuse\n"); },
         {"DllGetClassObject", "CreateInstance", "release factory"}},
        {"null object with success",
         [](HostedEngineTest& t) { t.PutEngine(VNT_FIXTURE_ENGINE, kBin, "factory null\n"); },
         {"DllGetClassObject", "CreateInstance", "release factory"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostedEngineTest& t = *this;
        std::filesystem::remove_all(root.Host(kBin));
        root.Write("drive_c/Vantrel/bin/vn_app.exe", "MZ");
        c.arrange(t);
        ComponentEngine engine(platform());
        EXPECT_EQ(engine.QueryHost(kHost), 1);
        EXPECT_EQ(engine.IsPluginSettled(kHost, "P"), 0);
        EXPECT_EQ(engine.IsPluginRejected(kHost, "P"), 0);
        Lines expected;
        for (int i = 0; i < 3; ++i) expected.insert(expected.end(), c.logged.begin(), c.logged.end());
        EXPECT_EQ(Logged(), expected);
    }
}

TEST_F(HostedEngineTest, FailingMethodRaisesComErrorWithTheEnginesDescription) {
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
        PutEngine(VNT_FIXTURE_ENGINE, kBin, std::string("rejected * = ") + c.answer + "\n");
        ComponentEngine engine(platform());
        try {
            engine.IsPluginRejected(kHost, "P");
            ADD_FAILURE() << "no error raised";
        } catch (const ComError& e) {
            EXPECT_EQ(static_cast<std::uint32_t>(e.result()), 0x80040005u);
            EXPECT_EQ(e.description(), c.description);
        }
        const Lines logged = Logged();
        ASSERT_GE(logged.size(), 2u);
        EXPECT_EQ(logged[logged.size() - 3], "IsPluginRejected C:\\VANTREL\\BIN\\VN_APP.EXE|P -> fail 0x80040005");
        EXPECT_EQ(logged.back(), "release factory");
    }
}

TEST_F(HostedEngineTest, BareNameIsLookedForBesideTheHostThenInSystem32) {
    PutEngine(VNT_FIXTURE_ENGINE, kSystem, "host = 3\n");
    EXPECT_EQ(ComponentEngine(platform()).QueryHost(kHost), 3);
    PutEngine(VNT_FIXTURE_ENGINE, kBin, "host = 2\n");
    EXPECT_EQ(ComponentEngine(platform()).QueryHost(kHost), 2);
}

TEST_F(HostedEngineTest, ProductEngineAnswersFromThePolicyBesideIt) {
    PutEngine(VNT_COMPONENT_ENGINE);
    ComponentEngine engine(platform());
    // No policy: no objection to anything.
    EXPECT_EQ(engine.QueryHost(kHost), 0);
    EXPECT_EQ(engine.IsPluginSettled(kHost, "Flash Tool"), 0);
    EXPECT_EQ(engine.IsPluginRejected(kHost, "Flash Tool"), 0);

    root.Write(std::string(kBin) + "VntCoreComponentEngine.policy",
               "; approved by IT\n[all]\nsettle = Vantrel *\nreject = *beta*\n"
               "[VN_APP.EXE]\nask = Vantrel Trace*\nsettle = \xC3\x84nderungs*\n[OTHER.EXE]\nreject = *\n");
    EXPECT_EQ(engine.QueryHost(kHost), 4);
    EXPECT_EQ(engine.QueryHost("C:\\X\\OTHER.EXE"), 3);
    struct Case {
        const char* host;
        const char* name;
        std::int16_t settled;
        std::int16_t rejected;
    };
    const std::vector<Case> cases = {
        {kHost, "Vantrel Flash", -1, 0},
        {kHost, "VANTREL flash", -1, 0},       // without regard to case
        {kHost, "Vantrel Trace Probe", 0, 0},  // the host's own section asks first
        {kHost, "Flash BETA 2", 0, -1},
        {kHost, "\xE4nderungsdienst", -1, 0},  // code page 1252 against UTF-8, case folded
        {kHost, "Flash", 0, 0},
        {"C:\\X\\OTHER.EXE", "Vantrel Flash", 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(engine.IsPluginSettled(c.host, c.name), c.settled);
        EXPECT_EQ(engine.IsPluginRejected(c.host, c.name), c.rejected);
    }
}

}  // namespace
}  // namespace comp_mgr
