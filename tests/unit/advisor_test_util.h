// Shared set-up for the update advisor's tests: a loaded catalog with one
// installation bound or not, and the advisor over it with a configuration
// of the test's own.
#ifndef COMP_MGR_TESTS_UNIT_ADVISOR_TEST_UTIL_H
#define COMP_MGR_TESTS_UNIT_ADVISOR_TEST_UTIL_H

#include <map>
#include <memory>
#include <string>

#include "catalog_test_util.h"
#include "services/advisor/web_settings.h"

namespace comp_mgr {
namespace testing_support {

// File versions by path, as a version reader would find them.
class FakePlugInVersions : public PlugInVersions {
public:
    PlugInVersion Lookup(const std::string& path, std::uint32_t translation) override {
        lookups.push_back(path);
        auto it = versions.find(path);
        return it == versions.end() || translation != kTranslationUsEnglishUnicode ? PlugInVersion{} : it->second;
    }
    std::map<std::string, PlugInVersion> versions;
    std::vector<std::string> lookups;
};

inline AdvisorConfig TestAdvisorConfig() {
    AdvisorConfig config;
    config.urlBase = "www.vendor.test";
    config.supportAddress = "http://support.vendor.test/mail.asp";
    config.knownProductKeys = "{XA-THREE-1.0}{0-1.00.00}";
    return config;
}

class AdvisorTest : public CatalogTest {
protected:
    // The host's installation, VntInstallation_1, carries `extra` lines.
    void Load(const std::string& extra = "", const std::string& more = "") {
        LoadFile(HostSection() + "Sku=VNT PRO/2\r\n" + extra + more);
        web = std::make_unique<WebSettings>(*db, machine.platform, db->services.records, config);
        web->SetPlugInVersions(&versions);
    }
    const std::string* Stored(const std::string& key, const std::string& section = "VntInstallation_1") {
        const CatalogEntry* entry = db->Entry(section);
        return entry ? entry->extraProperties.find(key) : nullptr;
    }
    std::string StoredOr(const std::string& key, const std::string& missing = "<missing>") {
        const std::string* v = Stored(key);
        return v ? *v : missing;
    }

    AdvisorConfig config = TestAdvisorConfig();
    FakePlugInVersions versions;
    std::unique_ptr<WebSettings> web;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
