// FindRecord keeps an index of plug-ins by location; it must give the same
// answers as a walk over plugInNames whatever happened to the catalog.
#include <algorithm>

#include "link_fixture.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using testing_support::LinkFixture;

class FindRecords : public LinkFixture {
protected:
    // The first plug-in of plugInNames matching, found the slow way.
    std::string Walk(const std::string& location, double sdk, const std::string& name) {
        for (const std::string& section : db->plugInNames()) {
            const CatalogEntry* e = db->Entry(section);
            if (e && EqualsNoCase(e->ProgLocation, location) && EqualsNoCase(e->DisplayName, name) &&
                e->SdkVersion == sdk)
                return section;
        }
        return "";
    }
    std::string Find(const std::string& location, double sdk, const std::string& name) {
        std::string section;
        CatalogEntry* e = db->services.records.FindRecord(location, sdk, name, kKindPlugIn, &section);
        EXPECT_EQ(e, section.empty() ? nullptr : db->Entry(section));
        return section;
    }
};

TEST_F(FindRecords, InstallationsByLocationOnly) {
    Installation("VntInstallation_2", "*", 1.0, 0, "C:\\A\\a.exe");
    Installation("VntInstallation_1", "*", 1.0, 0, "c:\\a\\A.EXE");
    std::string name;
    EXPECT_NE(db->services.records.FindRecord("C:\\A\\A.exe", 9.0, "whatever", kKindInstallation, &name), nullptr);
    EXPECT_EQ(name, "VntInstallation_2") << "first in list order";
    EXPECT_EQ(db->services.records.FindRecord("C:\\A\\A.exe", 1.0, "", kKindOther, &name), nullptr);
    EXPECT_EQ(name, "");
}

TEST_F(FindRecords, TheIndexFollowsAdditionsRemovalsRelocationsAndRenames) {
    PlugIn("PlugIn_1", "A", "x", "", 1.0, 0, "C:\\p\\a.dll");
    PlugIn("PlugIn_2", "A", "x", "", 2.0, 0, "C:\\p\\a.dll");
    PlugIn("PlugIn_3", "B", "x", "", 1.0, 0, "C:\\p\\b.dll");
    EXPECT_EQ(Find("c:\\P\\A.DLL", 2.0, "a"), "PlugIn_2");
    EXPECT_EQ(Find("C:\\p\\a.dll", 3.0, "A"), "");

    // Added after the index was built.
    PlugIn("PlugIn_4", "C", "x", "", 1.0, 0, "C:\\p\\c.dll");
    EXPECT_EQ(Find("C:\\p\\c.dll", 1.0, "C"), "PlugIn_4");

    // Moved to another location through SetProperty.
    db->SetProperty("PlugIn_3", "ProgLocation", "C:\\q\\b.dll");
    EXPECT_EQ(Find("C:\\p\\b.dll", 1.0, "B"), "");
    EXPECT_EQ(Find("C:\\q\\b.dll", 1.0, "B"), "PlugIn_3");

    // Removed, as the start-up check removes records, then a new one added.
    db->RemoveSection("PlugIn_1");
    PlugIn("PlugIn_5", "A", "x", "", 1.0, 0, "C:\\p\\a.dll");
    EXPECT_EQ(Find("C:\\p\\a.dll", 1.0, "A"), "PlugIn_5");

    // Renumbered at exit: PlugIn_2.. become PlugIn_1..
    ASSERT_EQ(db->services.exitRepairs.RenumberSections(), 1);
    for (const std::string& section : db->plugInNames()) {
        const CatalogEntry* e = db->Entry(section);
        EXPECT_EQ(Find(e->ProgLocation, e->SdkVersion, e->DisplayName),
                  Walk(e->ProgLocation, e->SdkVersion, e->DisplayName));
    }
    EXPECT_EQ(Find("C:\\p\\a.dll", 1.0, "A"), "PlugIn_4");
}

TEST_F(FindRecords, ManyPlugInsSharingLocationsAgreeWithTheWalk) {
    for (int i = 0; i < 300; ++i) {
        PlugIn("PlugIn_" + std::to_string(i + 1), "Name" + std::to_string(i % 7), "x", "", 1.0 + i % 3, 0,
               "C:\\p\\lib" + std::to_string(i % 11) + ".dll");
    }
    for (int lib = 0; lib < 12; ++lib)
        for (int name = 0; name < 8; ++name)
            for (double sdk : {1.0, 2.0, 3.0, 4.0}) {
                const std::string location = "C:\\P\\LIB" + std::to_string(lib) + ".DLL";
                const std::string display = "name" + std::to_string(name);
                EXPECT_EQ(Find(location, sdk, display), Walk(location, sdk, display));
            }
}

}  // namespace
}  // namespace comp_mgr
