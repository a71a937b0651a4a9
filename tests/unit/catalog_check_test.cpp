// The catalog check through the application object, as the export runs it:
// what the start-up repaired, links, names, servers and the backup, one case
// a row; and that checking calls no server and leaves the catalog as it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/component_manager_app.h"
#include "services/diagnosis/catalog_check.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {
namespace {

int registerCalls = 0;
int CountingServerEntry() {
    ++registerCalls;
    return 0;
}

const char kOne[] = "C:\\Vantrel\\plugins\\one.dll";
const char kTwo[] = "C:\\Vantrel\\plugins\\two.dll";

std::string Catalog(const std::string& links, const std::string& twoName = "Two") {
    return "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nCpuSupport=alpha\r\nSdkVersion=3.0\r\n"
           "Status=16\r\nPlugInLst_GrpName=" +
           links +
           "\r\n\r\n[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\nDisplayName=One\r\nCpuSupport=alpha\r\n"
           "Status=16\r\n\r\n[PlugIn_2]\r\nProgLocation=C:\\Vantrel\\plugins\\two.dll\r\nDisplayName=" +
           twoName + "\r\nCpuSupport=alpha\r\nStatus=16\r\n\r\n";
}

enum Server { kLoads, kNoFile, kNotLoadable, kNoUnregister };
// What the registry announces besides the catalog: nothing, a plug-in whose
// server is gone, or a new one whose server is there.
enum Announced { kNothing, kGone, kNew };

struct CheckCase {
    const char* name;
    std::string catalog;
    Server two;
    const char* backup;  // null: none; "=": the catalog's own text
    Announced registry;
    std::vector<std::string> expected;  // "<severity>|<kind>|<section>", in order
};

void Prepare(TestMachine& machine, const CheckCase& c) {
    machine.UseStandardLayout();
    machine.files.Put(TestMachine::kDbPath, c.catalog);
    if (c.backup) machine.files.Put(TestMachine::kBakPath, std::string(c.backup) == "=" ? c.catalog : c.backup);
    const std::map<std::string, void*> both = {{"DllRegisterServer", reinterpret_cast<void*>(&CountingServerEntry)},
                                               {"DllUnregisterServer", reinterpret_cast<void*>(&CountingServerEntry)}};
    machine.files.Put(kOne, "MZ");
    machine.loader.AddLibrary(kOne, both);
    if (c.two != kNoFile) machine.files.Put(kTwo, "MZ");
    if (c.two == kLoads) machine.loader.AddLibrary(kTwo, both);
    if (c.two == kNoUnregister)
        machine.loader.AddLibrary(kTwo, {{"DllRegisterServer", reinterpret_cast<void*>(&CountingServerEntry)}});
    if (c.registry != kNothing) {
        machine.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\Plugins\\ActiveX Tools\\Gizmo\\2.0",
                                   "CLSID", "{0000-GONE}");
        machine.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{0000-GONE}\\InprocServer32", "",
                                   "C:\\Vantrel\\plugins\\gizmo.dll");
        if (c.registry == kNew) machine.files.Put("C:\\Vantrel\\plugins\\gizmo.dll", "MZ");
    }
}

TEST(CatalogCheckTest, FindingsOfEachKind) {
    const std::string healthy = Catalog("PlugIn_1,PlugIn_2");
    const CheckCase cases[] = {
        {"healthy", healthy, kLoads, "=", kNothing, {}},
        {"program file gone", healthy, kNoFile, "=", kNothing, {"problem|missing-file|PlugIn_2"}},
        {"link to a missing section",
         Catalog("PlugIn_1,PlugIn_7"),
         kLoads,
         "=",
         kNothing,
         {"problem|dangling-link|VntInstallation_1"}},
        {"link to an installation",
         Catalog("PlugIn_1,VntInstallation_1"),
         kLoads,
         "=",
         kNothing,
         {"problem|dangling-link|VntInstallation_1"}},
        {"one name linked twice",
         Catalog("PlugIn_1,PlugIn_2", "One"),
         kLoads,
         "=",
         kNothing,
         {"problem|same-name|VntInstallation_1"}},
        {"server does not load", healthy, kNotLoadable, "=", kNothing, {"problem|server-load|PlugIn_2"}},
        {"server lacks an entry point", healthy, kNoUnregister, "=", kNothing, {"problem|server-exports|PlugIn_2"}},
        {"no backup", healthy, kLoads, nullptr, kNothing, {"note|backup-missing|"}},
        {"backup of no section", healthy, kLoads, "\x01\x02garbage", kNothing, {"problem|backup-empty|"}},
        {"backup with other sections",
         healthy,
         kLoads,
         "[VntInstallation_1]\r\n[PlugIn_5]\r\n",
         kNothing,
         {"note|backup-differs|"}},
        {"backup with other contents",
         healthy,
         kLoads,
         "[VntInstallation_1]\r\n[PlugIn_1]\r\n[PlugIn_2]\r\n",
         kNothing,
         {"note|backup-differs|"}},
        {"damaged catalog, good backup",
         std::string("\x7f\x45\x00\x13 junk", 10),
         kLoads,
         "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n",
         kNothing,
         {"note|recovered|", "problem|catalog-damaged|", "problem|backup-only|"}},
        {"registry server gone",
         healthy,
         kLoads,
         "=",
         kGone,
         {"problem|server-gone|", "problem|missing-file|PlugIn_3"}},
        // Its file is there but is no library.
        {"new in the registry",
         healthy,
         kLoads,
         "=",
         kNew,
         {"note|new-plug-in|PlugIn_3", "problem|server-load|PlugIn_3"}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestMachine machine;
        Prepare(machine, c);
        registerCalls = 0;
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        const std::vector<Finding> findings = CatalogCheck(app.database(), machine.platform, app.startupRecord()).Run();
        std::vector<std::string> got;
        for (const Finding& f : findings) got.push_back((f.problem ? "problem|" : "note|") + f.kind + "|" + f.section);
        EXPECT_EQ(got, c.expected) << FindingsText(findings);
        int problems = 0;
        for (const std::string& g : c.expected) problems += g.rfind("problem|", 0) == 0 ? 1 : 0;
        EXPECT_EQ(ProblemCount(findings), problems);
        // Servers are loaded and freed, never asked to (un)register.
        EXPECT_EQ(registerCalls, 0);
        EXPECT_EQ(machine.loader.openCount, 0);
        app.AbortUpdate();
        app.ExitInstance();
    }
}

TEST(CatalogCheckTest, LinesKeepTheirFourFieldsAndTellTheRepair) {
    TestMachine machine;
    Prepare(machine, {"", Catalog("PlugIn_1,PlugIn_2"), kNoFile, "=", kNothing, {}});
    ComponentManagerApp app(machine.platform);
    app.InitInstance();
    const std::vector<Finding> findings = CatalogCheck(app.database(), machine.platform, app.startupRecord()).Run();
    EXPECT_EQ(FindingsText(findings),
              "problem|missing-file|PlugIn_2|\"Two\": its program file C:\\Vantrel\\plugins\\two.dll is gone, so the "
              "start-up dropped the entry\n");
    EXPECT_EQ(FindingsText({{false, "k", "a|b", "x|y\nz"}}), "note|k|a b|x|y z\n");
    // Aborted as the tool aborts: the catalog file stays as it was.
    app.AbortUpdate();
    app.ExitInstance();
    EXPECT_EQ(machine.files.Get(TestMachine::kDbPath), Catalog("PlugIn_1,PlugIn_2"));
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
