// The section names a save writes, worked out independently of the saver:
// names that are the prefix followed by a plain decimal number from 1 to
// `max`, in number order. Shared by the tests and the fuzz target.
#ifndef COMP_MGR_TESTS_SUPPORT_SAVED_NAMES_H
#define COMP_MGR_TESTS_SUPPORT_SAVED_NAMES_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "comp_mgr/string_list.h"

namespace comp_mgr {
namespace testing_support {

inline std::vector<std::string> SavedNames(const StringList& names, const std::string& prefix, std::int64_t max) {
    std::vector<std::pair<std::int64_t, std::string>> numbered;
    for (const std::string& name : names) {
        std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 10 || digits[0] == '0' ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::int64_t n = std::stoll(digits);
        if (n <= max) numbered.emplace_back(n, name);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> out;
    for (auto& item : numbered) out.push_back(item.second);
    return out;
}

}  // namespace testing_support
}  // namespace comp_mgr

#endif
