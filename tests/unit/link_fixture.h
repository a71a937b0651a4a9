// A catalog on the test machine with shortcuts for installation and plug-in
// records made as the record writers make them (status bit 0x10), for the
// record, linking, detection and renumbering tests.
#ifndef COMP_MGR_TESTS_UNIT_LINK_FIXTURE_H
#define COMP_MGR_TESTS_UNIT_LINK_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() {
        machine.UseStandardLayout();
        db = std::make_unique<TestCatalog>(machine.platform);
        db->SetFlags(kFlagLoaded);
    }

    CatalogEntry& Installation(const std::string& section, const std::string& cpu, double sdk = 1.0,
                               std::int32_t status = kStatusRecordWriter,
                               const std::string& location = "C:\\Ide\\bin\\vn_app.exe") {
        db->SetProperty(section, "ProgLocation", location);
        db->SetProperty(section, "CpuSupport", cpu);
        CatalogEntry& e = *db->Entry(section);
        e.SdkVersion = sdk;
        e.Status = status;
        return e;
    }

    CatalogEntry& PlugIn(const std::string& section, const std::string& displayName, const std::string& cpu,
                         const std::string& group = "", double sdk = 1.0, std::int32_t status = kStatusRecordWriter,
                         const std::string& location = "") {
        db->SetProperty(section, "ProgLocation", location.empty() ? "C:\\Ide\\plugins\\" + section + ".dll" : location);
        db->SetProperty(section, "DisplayName", displayName);
        db->SetProperty(section, "CpuSupport", cpu);
        db->SetProperty(section, "PlugInLst_GrpName", group);
        CatalogEntry& e = *db->Entry(section);
        e.SdkVersion = sdk;
        e.Status = status;
        return e;
    }

    std::vector<std::string> Links(const std::string& installation) const {
        const CatalogEntry* e = db->Entry(installation);
        return e ? e->PlugInLst_GrpName.items() : std::vector<std::string>();
    }

    using Names = std::vector<std::string>;

    TestMachine machine;
    std::unique_ptr<TestCatalog> db;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
