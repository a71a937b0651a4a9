#include <cstdio>
#include <ctime>

#include "services/advisor/url_text.h"
#include "services/advisor/web_settings.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

// Longer addresses do not pass through the shell whole.
constexpr std::size_t kMaxDirectAddress = 260;
// The largest TEMP value that fits the 260-byte buffer with its terminator.
constexpr std::size_t kMaxTempFolder = 259;
constexpr const char* kFallbackTempFolder = "C:\\TEMP";
constexpr const char* kLocalRegistrationPage = "\\docs\\releasenotes\\vnt_registration.html";

}  // namespace

int WebSettings::AppendQuery(std::string& url) const {
    if (products_.empty()) return 0;
    url += "PR=" + PercentEncodeQueryValue(registration_) + "&";
    if (!productName_.empty()) url += "PID=" + PercentEncodeQueryValue(productName_) + "&";
    if (!installSku_.empty()) url += "PI=" + PercentEncodeQueryValue(installSku_) + "&";
    for (std::size_t i = 0; i < products_.size(); ++i) {
        const std::string& product = products_[i];
        if (i == 0) {
            url += "tools=" + PercentEncodeQueryValue(product);
        } else if (product.compare(0, 3, "UA-") == 0 ||
                   config_.knownProductKeys.find("{" + product + "}") != std::string::npos) {
            url += "," + PercentEncodeQueryValue(product);
        }
    }
    return 1;
}

int WebSettings::BuildUpdateUrl(std::string& url) const {
    url += urlBase_ + "/" + section_ + "/" + "register.asp?";
    return AppendQuery(url) ? 1 : 0;
}

int WebSettings::LocalRegistrationPage(std::string& url) const {
    std::string page = installLocation_;
    for (int i = 0; i < 3; ++i) {
        const std::size_t cut = page.rfind('\\');
        if (cut != std::string::npos && cut > 0) page.erase(cut);
    }
    url = page + kLocalRegistrationPage;
    return 1;
}

int WebSettings::SupportPage(std::string& url) const {
    url = config_.supportAddress;
    return 1;
}

std::string WebSettings::WriteRedirectFile(const std::string& address) {
    std::string folder;
    if (!platform_.process.GetEnv("TEMP", &folder) || folder.empty() || folder.size() > kMaxTempFolder)
        folder = kFallbackTempFolder;
    const std::tm now = platform_.clock.Now();
    char stamp[32];
    const std::size_t n = std::strftime(stamp, sizeof stamp, "%y%m%d%H%M%S", &now);
    const std::string stem = folder + "\\~Netbeacon" + std::string(stamp, n);
    // The name tells the second; a second launch in the same second gets a
    // name of its own instead of overwriting the page the first one opened.
    std::string path = stem + ".html";
    for (int i = 2; platform_.files.Exists(path); ++i) path = stem + "_" + FormatInt(i) + ".html";
    const std::string page =
        "<html><head><meta http-equiv=\"refresh\" content=\"1;url=" + EscapeHtmlAttribute(address) +
        "\"></head><body></body></html>";
    if (!platform_.files.Replace(path, page, "")) return std::string();
    return path;
}

void WebSettings::LaunchPage(int kind) {
    std::string address = "https://";
    int ready = 0;
    switch (kind) {
        case kPageUpdate:
            ready = BuildUpdateUrl(address);
            break;
        case kPageSupport:
            ready = SupportPage(address);
            break;
        case kPageLocalRegistration:
            ready = LocalRegistrationPage(address);
            break;
        default:
            return;
    }
    if (!ready) return;
    if (address.size() > kMaxDirectAddress) {
        address = WriteRedirectFile(address);
        if (address.empty()) return;
    }
    if (platform_.shell.Open(launchVerb_, address) && kind == kPageUpdate) launchedMark_ |= kLaunchedBit;
}

int WebSettings::WebSupport(const char* key) {
    if (!Gate(key)) return 0;
    LaunchPage(kPageSupport);
    return 1;
}

int WebSettings::WebRegister() {
    LaunchPage(kPageLocalRegistration);
    return 1;
}

}  // namespace comp_mgr
