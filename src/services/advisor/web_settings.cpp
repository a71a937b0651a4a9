#include "services/advisor/web_settings.h"

#include "catalog/catalog_terms.h"
#include "support/text.h"
#include "support/text_output.h"

namespace comp_mgr {
namespace {

constexpr const char* kDefaultSection = "apps/advisor";
constexpr const char* kDefaultLastCheckDate = "04 01,2000 00:00:00";
constexpr const char* kDefaultFrequency = "30";
constexpr const char* kDefaultAutoLaunch = "TRUE";

}  // namespace

WebSettings::WebSettings(ComponentDatabase& database, const Platform& platform, Records& records,
                         const AdvisorConfig& config)
    : database_(database), platform_(platform), records_(records), config_(config) {
    ResetWebSettings();
}

void WebSettings::ResetWebSettings() {
    launchVerb_ = "open";
    launchedMark_ = 1;
    frequency_ = 0;
    autoLaunch_ = 0;
    products_.clear();
    currentKey_.clear();
    urlBase_.clear();
    section_.clear();
    lastCheckDate_.clear();
    productName_.clear();
    installSku_.clear();
    registration_.clear();
    // installLocation_ stays: every binding overwrites it.
}

bool WebSettings::BindInstallation(const std::string& key) {
    ResetWebSettings();
    if (key.empty()) return false;
    currentKey_ = key;
    return true;
}

void WebSettings::GetValues(int* autoLaunch, int* frequency, std::string* urlBase, std::string* section) const {
    *autoLaunch = autoLaunch_;
    *frequency = frequency_;
    *urlBase = urlBase_;
    *section = section_;
}

void WebSettings::ApplyValues(int autoLaunch, int frequency, const std::string& urlBase, const std::string& section) {
    if (autoLaunch != autoLaunch_) {
        autoLaunch_ = autoLaunch;
        launchedMark_ |= kLaunchedBit;
    }
    if (frequency != frequency_) {
        frequency_ = frequency;
        launchedMark_ |= kLaunchedBit;
    }
    if (!urlBase.empty() && urlBase != urlBase_) {
        urlBase_ = urlBase;
        launchedMark_ |= kLaunchedBit;
    }
    if (!section.empty() && section != section_) {
        section_ = section;
        launchedMark_ |= kLaunchedBit;
    }
}

CatalogEntry* WebSettings::Gate(const char* key) const {
    if (!key || currentKey_ != key) return nullptr;
    CatalogEntry* entry = nullptr;
    return database_.FindCatalogEntry(key, &entry) ? entry : nullptr;
}

void WebSettings::SetLaunchState(std::string registration, std::string productName, std::string installSku,
                                 std::string installLocation, std::vector<std::string> products) {
    registration_ = std::move(registration);
    productName_ = std::move(productName);
    installSku_ = std::move(installSku);
    installLocation_ = std::move(installLocation);
    products_ = std::move(products);
}

int WebSettings::GetWebSettingWithDefault(const char* key) {
    CatalogEntry* entry = Gate(key);
    if (!entry) return 0;
    bool wroteDefault = false;
    // The stored value of a setting, writing the default when it is missing.
    auto value = [&](const char* name, const std::string& fallback) {
        if (const std::string* stored = entry->extraProperties.find(name)) return *stored;
        database_.SetProperty(key, name, fallback);
        wroteDefault = true;
        return fallback;
    };
    urlBase_ = value("UrlBase", config_.urlBase);
    section_ = value("Section", kDefaultSection);
    lastCheckDate_ = value("LastCheckDate", kDefaultLastCheckDate);
    frequency_ = AtoI(value("Frequency", kDefaultFrequency));
    autoLaunch_ = EqualsNoCase(value("AutoLaunch", kDefaultAutoLaunch), "TRUE") ? 1 : 0;
    if (wroteDefault) database_.MarkModified(kFlagLinksChanged);
    return 1;
}

int WebSettings::WebGetSetting(const char* key, int* autoLaunch, int* frequency, unsigned int* size1, char* text1,
                               unsigned int* size2, char* text2) {
    if (!autoLaunch || !frequency || !size1 || !text1 || !size2 || !text2) return 0;
    if (!Gate(key)) return 0;
    *autoLaunch = autoLaunch_;
    *frequency = frequency_;
    // A cut text is the whole report: no failure for it.
    CopyTextOut(urlBase_, size1, text1);
    CopyTextOut(section_, size2, text2);
    return 1;
}

int WebSettings::WebSetSetting(const char* key, int autoLaunch, int frequency, const char* urlBase,
                               const char* section) {
    CatalogEntry* entry = Gate(key);
    if (!entry) return 0;
    ApplyValues(autoLaunch, frequency, ArgText(urlBase), ArgText(section));
    bool wrote = false;
    auto writeBack = [&](const char* name, const std::string& value) {
        const std::string* stored = entry->extraProperties.find(name);
        if (stored && EqualsNoCase(*stored, value)) return;
        database_.SetProperty(key, name, value);
        wrote = true;
    };
    writeBack("UrlBase", urlBase_);
    writeBack("Section", section_);
    writeBack("AutoLaunch", autoLaunch_ == 1 ? "TRUE" : "FALSE");
    writeBack("Frequency", FormatInt(frequency_));
    writeBack("LastCheckDate", lastCheckDate_);
    if (wrote) database_.MarkModified(kFlagLinksChanged);
    return 1;
}

}  // namespace comp_mgr
