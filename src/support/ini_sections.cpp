#include "support/ini_sections.h"

#include <unordered_map>

#include "support/ini_grammar.h"

namespace comp_mgr {

namespace {

// The keys whose values differ between two sections, in the order they are
// first met (the earlier text's first).
std::string DifferingKeys(const IniSection& before, const IniSection& after) {
    std::vector<std::string> order;
    std::unordered_map<std::string, std::pair<const std::string*, const std::string*>> values;
    for (const auto& p : before.properties) {
        auto& v = values[p.first];
        if (!v.first && !v.second) order.push_back(p.first);
        v.first = &p.second;
    }
    for (const auto& p : after.properties) {
        auto& v = values[p.first];
        if (!v.first && !v.second) order.push_back(p.first);
        v.second = &p.second;
    }
    std::string keys;
    for (const std::string& key : order) {
        const auto& v = values[key];
        if (v.first && v.second && *v.first == *v.second) continue;
        keys += (keys.empty() ? "" : ",") + key;
    }
    return keys;
}

}  // namespace

std::vector<IniSection> ReadIniSections(std::string_view content) {
    std::vector<IniSection> sections;
    std::unordered_map<std::string, std::size_t> at;
    std::size_t current = 0;  // 0: before any section, else its index + 1
    ParseIni(
        content,
        [&](std::string name) {
            auto found = at.emplace(name, sections.size());
            if (found.second) sections.push_back({std::move(name), {}});
            current = found.first->second + 1;
        },
        [&](std::string_view key, std::string_view value) {
            if (current) sections[current - 1].properties.emplace_back(std::string(key), std::string(value));
        });
    return sections;
}

std::vector<SectionDifference> CompareIniSections(std::string_view before, std::string_view after) {
    const std::vector<IniSection> old = ReadIniSections(before), now = ReadIniSections(after);
    std::unordered_map<std::string, const IniSection*> inNow;
    for (const IniSection& s : now) inNow.emplace(s.name, &s);
    std::unordered_map<std::string, bool> inOld;
    std::vector<SectionDifference> differences;
    for (const IniSection& s : old) {
        inOld.emplace(s.name, true);
        auto found = inNow.find(s.name);
        if (found == inNow.end()) {
            differences.push_back({'-', s.name, ""});
        } else if (std::string keys = DifferingKeys(s, *found->second); !keys.empty()) {
            differences.push_back({'~', s.name, std::move(keys)});
        }
    }
    for (const IniSection& s : now)
        if (!inOld.count(s.name)) differences.push_back({'+', s.name, ""});
    return differences;
}

}  // namespace comp_mgr
