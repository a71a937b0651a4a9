#include <cstdio>
#include <ctime>

#include "catalog/catalog_terms.h"
#include "services/advisor/url_text.h"
#include "services/advisor/web_settings.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

constexpr const char* kProductName = "Vantrel";
// "Never checked": reminds unless the interval is longer still.
constexpr std::int32_t kNoCheckDays = 999999;

enum StartupMode : int { kRemindAndOpen = 0, kBindOnly = 1, kRemindAndAsk = 2 };

// The leading decimal integer of `count` characters at `at`; 0 when none.
int NumberAt(const std::string& text, std::size_t at, std::size_t count) {
    return at < text.size() ? AtoI(text.substr(at, count)) : 0;
}

// "%m %d,%Y %H:%M:%S" of a broken-down time.
std::string CheckDateText(const std::tm& time) {
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%m %d,%Y %H:%M:%S", &time);
    return std::string(text, n);
}

}  // namespace

int WebSettings::AddProduct(const std::string& product) {
    if (product.empty()) return 0;
    for (const auto& known : products_)
        if (known == product) return 0;
    products_.push_back(product);
    return 1;
}

int WebSettings::CheckReminder(int* disableReminder) {
    const std::tm now = platform_.clock.Now();
    std::int32_t days = kNoCheckDays;
    if (autoLaunch_ == 0) return 0;
    if (lastCheckDate_.size() > 17) {
        const int month = NumberAt(lastCheckDate_, 0, 2);
        const int day = NumberAt(lastCheckDate_, 3, 2);
        const int year = NumberAt(lastCheckDate_, 6, 4);
        if (month >= 1 && month <= 13 && day >= 1 && day <= 32 && year >= 2000 && year <= 99999) {
            std::tm last = {};
            last.tm_year = year - 1900;
            last.tm_mon = month - 1;
            last.tm_mday = day;
            last.tm_hour = NumberAt(lastCheckDate_, 11, 2);
            last.tm_min = NumberAt(lastCheckDate_, 14, 2);
            last.tm_sec = NumberAt(lastCheckDate_, 17, 2);
            const std::int64_t then = platform_.clock.MakeLocalTime(last);
            const std::int64_t current = platform_.clock.MakeLocalTime(now);
            if (then != -1 && current != -1) days = static_cast<std::int32_t>((current - then) / 86400);
        }
    }
    // Unsigned on purpose: a last check in the future counts as overdue, and
    // a negative interval never reminds.
    if (static_cast<std::uint32_t>(days) < static_cast<std::uint32_t>(frequency_)) return 0;
    const ReminderAnswer answer = platform_.ui.UpdateReminder();
    if (disableReminder) *disableReminder = answer.disableReminder;
    if (answer.result != 1) return 0;
    lastCheckDate_ = CheckDateText(now);
    return 1;
}

void WebSettings::StoreLastCheckIfLaunched() {
    if ((launchedMark_ & kLaunchedBit) == 0) return;
    database_.SetProperty(currentKey_, "LastCheckDate", lastCheckDate_);
    database_.MarkModified(kFlagLinksChanged);
}

int WebSettings::WebStartup(const char* key, int mode) {
    CatalogEntry* entry = nullptr;
    if (!key || !database_.FindCatalogEntry(key, &entry)) return 0;
    if (!BindInstallation(key)) return 0;
    if (!entry->Sku.empty()) installSku_ = WebName(entry->Sku);
    if (!GetWebSettingWithDefault(key)) return 0;
    registration_.clear();
    productName_ = WebName(kProductName);
    if (const std::string* registration = entry->extraProperties.find("Registration"))
        registration_ = WithoutBlanks(*registration);
    installLocation_ = Trim(entry->ProgLocation);
    if (!AddProduct(WithoutBlanks(entry->Sku))) return 0;

    int result = 1;
    const StringList plugIns = entry->PlugInLst_GrpName;  // a copy: nothing below may change the walk
    for (const auto& plugInKey : plugIns) {
        const CatalogEntry* plugIn = database_.Entry(plugInKey);
        if (!plugIn || plugIn->Sku.empty()) continue;
        std::string identifier = plugIn->Sku;
        const PlugInVersion version = versions_->Lookup(plugIn->ProgLocation, kTranslationUsEnglishUnicode);
        if (version.loaded) {
            result = version.found ? 1 : 0;
            if (version.found) identifier += "-" + ReplaceAll(version.fileVersion, ",", ".");
        }
        AddProduct(WithoutBlanks(identifier));
    }

    if (mode != kRemindAndOpen && mode != kRemindAndAsk) return result;  // other modes only bind, as mode 1
    int disable = 0;
    const int answer = CheckReminder(&disable);
    // Stored even when no reminder showed: a start-up re-enables a disabled
    // reminder unless the user ticks the box.
    database_.SetProperty(key, "AutoLaunch", disable ? "FALSE" : "TRUE");
    database_.MarkModified(kFlagLinksChanged);
    if (mode == kRemindAndOpen || answer == 1) {
        LaunchPage(kPageUpdate);
        StoreLastCheckIfLaunched();
    }
    return result;
}

int WebSettings::WebStartupByVnt(const char* progLocation, const char* sdkVersion) {
    std::string key;
    CatalogEntry* entry = records_.FindInstallationKey(progLocation, sdkVersion, &key);
    if (!entry) return 0;
    const std::string* autoLaunch = entry->extraProperties.find("AutoLaunch");
    if (!autoLaunch) return 0;
    if (!EqualsNoCase(*autoLaunch, "TRUE")) return 1;
    return WebStartup(key.c_str(), kRemindAndAsk);
}

int WebSettings::WebUpdate(const char* key) {
    if (!Gate(key)) return 0;
    int scratch = 0;
    CheckReminder(&scratch);
    LaunchPage(kPageUpdate);
    StoreLastCheckIfLaunched();
    return 1;
}

}  // namespace comp_mgr
