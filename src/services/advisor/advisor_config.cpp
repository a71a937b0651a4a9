#include "services/advisor/advisor_config.h"

#include "support/text.h"

namespace comp_mgr {

// The bytes of resources/update_advisor.ini (advisor_config_data.cpp, made
// by the build).
extern const char* const kUpdateAdvisorIni;

AdvisorConfig AdvisorConfig::Parse(std::string_view text) {
    AdvisorConfig config;
    std::string section;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
        } else if (section == "KnownProductKeys") {
            if (line.size() > 2 && line.front() == '{' && line.back() == '}') config.knownProductKeys += line;
        } else if (section == "Addresses") {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = Trim(line.substr(0, eq));
            const std::string value = Trim(line.substr(eq + 1));
            if (key == "UrlBase") config.urlBase = value;
            if (key == "Support") config.supportAddress = value;
        }
    }
    return config;
}

const AdvisorConfig& AdvisorConfig::Shipped() {
    static const AdvisorConfig config = Parse(kUpdateAdvisorIni);
    return config;
}

}  // namespace comp_mgr
