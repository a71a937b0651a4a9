// A catalog opened as the application object opens it (the component engine
// told of the host, the database file located and read), with the library's
// services wired around it, so a test reaches every operation through one
// object.
#ifndef COMP_MGR_TESTS_SUPPORT_TEST_CATALOG_H
#define COMP_MGR_TESTS_SUPPORT_TEST_CATALOG_H

#include <cstdint>

#include "app/services.h"
#include "platform/platform.h"
#include "services/engine_bridge/component_engine.h"
#include "support/test_catalog.h"

namespace comp_mgr {
namespace testing_support {

class TestCatalog : public ComponentDatabase {
public:
    explicit TestCatalog(const Platform& platform) : ComponentDatabase(platform), services(*this, platform) {
        NotifyEngineOfHost(platform);
        LocateDatabaseFile();
        OpenDatabaseFile();
    }

    // Sets the database flags to exactly `value`, as a test's starting point.
    void ResetFlags(std::uint32_t value) {
        ClearFlags(~std::uint32_t{0});
        SetFlags(value);
    }

    Services services;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
