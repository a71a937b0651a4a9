// The update advisor: the working copy of one installation's web settings,
// the product identifiers the update page is told about, the timed reminder
// and the launch of the update, registration and support pages.
//
// Implemented across files by concern:
//   web_settings.cpp   state, binding, the gate, reading and writing settings
//   web_startup.cpp    start-up, the reminder, product identifiers
//   page_launch.cpp    page addresses, the redirect file, the launch
#ifndef COMP_MGR_SERVICES_ADVISOR_WEB_SETTINGS_H
#define COMP_MGR_SERVICES_ADVISOR_WEB_SETTINGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/advisor/advisor_config.h"
#include "services/advisor/plug_in_versions.h"
#include "services/records/records.h"

namespace comp_mgr {

// What LaunchPage opens.
enum PageKind : int { kPageUpdate = 0, kPageSupport = 1, kPageLocalRegistration = 8 };

// The bit of launchedMark telling that settings changed or the update page opened.
constexpr std::uint32_t kLaunchedBit = 8;

class WebSettings {
public:
    WebSettings(ComponentDatabase& database, const Platform& platform, Records& records,
                const AdvisorConfig& config = AdvisorConfig::Shipped());
    WebSettings(const WebSettings&) = delete;
    WebSettings& operator=(const WebSettings&) = delete;

    // The version reader the product identifiers ask; none by default.
    void SetPlugInVersions(PlugInVersions* versions) { versions_ = versions ? versions : &noVersions_; }

    // ---- settings ------------------------------------------------------------
    void ResetWebSettings();
    bool BindInstallation(const std::string& key);
    void GetValues(int* autoLaunch, int* frequency, std::string* urlBase, std::string* section) const;
    void ApplyValues(int autoLaunch, int frequency, const std::string& urlBase, const std::string& section);
    // The three calls behind the exports of the same names.
    int GetWebSettingWithDefault(const char* key);
    int WebGetSetting(const char* key, int* autoLaunch, int* frequency, unsigned int* size1, char* text1,
                      unsigned int* size2, char* text2);
    int WebSetSetting(const char* key, int autoLaunch, int frequency, const char* urlBase, const char* section);

    // ---- start-up and reminder -----------------------------------------------
    int WebStartup(const char* key, int mode);
    int WebStartupByVnt(const char* progLocation, const char* sdkVersion);
    int WebUpdate(const char* key);
    int CheckReminder(int* disableReminder);
    int AddProduct(const std::string& product);

    // ---- page launch -----------------------------------------------------------
    void LaunchPage(int kind);
    int BuildUpdateUrl(std::string& url) const;
    int AppendQuery(std::string& url) const;
    int LocalRegistrationPage(std::string& url) const;
    int SupportPage(std::string& url) const;
    int WebSupport(const char* key);
    int WebRegister();

    // ---- state -----------------------------------------------------------------
    int frequency() const { return frequency_; }
    int autoLaunch() const { return autoLaunch_; }
    const std::string& urlBase() const { return urlBase_; }
    const std::string& section() const { return section_; }
    const std::string& lastCheckDate() const { return lastCheckDate_; }
    const std::string& currentKey() const { return currentKey_; }
    const std::string& productName() const { return productName_; }
    const std::string& installSku() const { return installSku_; }
    const std::string& installLocation() const { return installLocation_; }
    const std::string& registration() const { return registration_; }
    std::uint32_t launchedMark() const { return launchedMark_; }
    const std::vector<std::string>& products() const { return products_; }

    // For tests that start from a prepared state.
    void SetLaunchState(std::string registration, std::string productName, std::string installSku,
                        std::string installLocation, std::vector<std::string> products);

private:
    // The entry of `key` when it is the bound installation's and in the
    // catalog; null otherwise.
    CatalogEntry* Gate(const char* key) const;
    // Stores LastCheckDate when the update page was opened.
    void StoreLastCheckIfLaunched();
    // The file that redirects to a long address, written in the temporary
    // folder; empty when it could not be written.
    std::string WriteRedirectFile(const std::string& address);

    ComponentDatabase& database_;
    const Platform& platform_;
    Records& records_;
    const AdvisorConfig& config_;
    NoPlugInVersions noVersions_;
    PlugInVersions* versions_ = &noVersions_;

    std::int32_t frequency_ = 0;
    std::int32_t autoLaunch_ = 0;
    std::string urlBase_;
    std::string section_;
    std::string lastCheckDate_;
    std::string currentKey_;
    std::string productName_;
    std::string installSku_;
    std::string installLocation_;
    std::string registration_;
    std::uint32_t launchedMark_ = 1;
    std::vector<std::string> products_;
    std::string launchVerb_ = "open";
};

}  // namespace comp_mgr

#endif
