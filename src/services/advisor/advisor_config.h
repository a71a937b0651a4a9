// What the update advisor ships with, read from resources/update_advisor.ini
// (compiled into the library): the default host of the update page, the
// support address and the KnownProductKeys table.
#ifndef COMP_MGR_SERVICES_ADVISOR_ADVISOR_CONFIG_H
#define COMP_MGR_SERVICES_ADVISOR_ADVISOR_CONFIG_H

#include <string>
#include <string_view>

namespace comp_mgr {

struct AdvisorConfig {
    std::string urlBase;           // [Addresses] UrlBase
    std::string supportAddress;    // [Addresses] Support
    std::string knownProductKeys;  // the [KnownProductKeys] rows joined without separators

    // Reads the text of update_advisor.ini: "key=value" lines under
    // [Addresses], one "{identifier}" per line under [KnownProductKeys];
    // blank lines and ";" comments skipped.
    static AdvisorConfig Parse(std::string_view text);
    // The configuration compiled into the library.
    static const AdvisorConfig& Shipped();
};

}  // namespace comp_mgr

#endif
