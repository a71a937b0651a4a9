// Shared set-up for the catalog tests: a test machine with the usual layout
// and a database opened on a given file content.
#ifndef COMP_MGR_TESTS_UNIT_CATALOG_TEST_UTIL_H
#define COMP_MGR_TESTS_UNIT_CATALOG_TEST_UTIL_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/saved_names.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {

// An installation section for the test machine's own host program, so that a
// load does not go looking for VNTInstallEntry.ini.
inline std::string HostSection(const std::string& name = "VntInstallation_1") {
    return "[" + name + "]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n";
}

// `reloaded` holds what a save of `original` wrote: the same installations
// and plug-ins with the same properties (extra properties compared as sets:
// their order within a hash bucket turns round with every load).
inline void ExpectSameCatalog(const ComponentDatabase& original, const ComponentDatabase& reloaded) {
    const std::vector<std::string> installations =
        SavedNames(original.installationNames(), "VntInstallation_", original.maxInstallationNumber());
    const std::vector<std::string> plugIns = SavedNames(original.plugInNames(), "PlugIn_", original.maxPlugInNumber());
    EXPECT_EQ(installations, reloaded.installationNames().items());
    EXPECT_EQ(plugIns, reloaded.plugInNames().items());
    for (const std::vector<std::string>* names : {&installations, &plugIns}) {
        for (const std::string& name : *names) {
            const CatalogEntry* x = original.Entry(name);
            const CatalogEntry* y = reloaded.Entry(name);
            ASSERT_TRUE(x && y) << name;
            EXPECT_EQ(x->DisplayName, y->DisplayName) << name;
            EXPECT_EQ(x->ProgLocation, y->ProgLocation) << name;
            EXPECT_EQ(x->LastAccessDate, y->LastAccessDate) << name;
            EXPECT_EQ(x->Sku, y->Sku) << name;
            EXPECT_EQ(x->HelpFile, y->HelpFile) << name;
            EXPECT_EQ(x->GroupDescription, y->GroupDescription) << name;
            EXPECT_EQ(x->Status, y->Status) << name;
            EXPECT_EQ(x->CpuSupport, y->CpuSupport) << name;
            EXPECT_EQ(x->extraProperties.size(), y->extraProperties.size()) << name;
            for (const auto& p : x->extraProperties) {
                const std::string* other = y->extraProperties.find(p.key());
                ASSERT_NE(other, nullptr) << name << " " << p.key();
                EXPECT_EQ(*other, p.value()) << name << " " << p.key();
            }
        }
    }
}

class CatalogTest : public ::testing::Test {
protected:
    CatalogTest() { machine.UseStandardLayout(); }

    // Puts `content` in place as vnt_Compdb.ini and constructs and loads a
    // database on it.
    ComponentDatabase& LoadFile(const std::string& content) {
        machine.files.Put(TestMachine::kDbPath, content);
        return LoadPresent();
    }
    // Constructs and loads a database on whatever the machine holds.
    ComponentDatabase& LoadPresent() {
        db = std::make_unique<TestCatalog>(machine.platform);
        pendingMessage.clear();
        loadResult = db->Load(&pendingMessage);
        return *db;
    }

    TestMachine machine;
    std::unique_ptr<TestCatalog> db;
    std::string pendingMessage;
    int loadResult = -1;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
