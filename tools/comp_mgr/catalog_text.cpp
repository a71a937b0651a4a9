#include "catalog_text.h"

#include <cstdio>

namespace comp_mgr_tool {

std::string SdkVersionText(double value) {
    int length = std::snprintf(nullptr, 0, "%f", value);
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), "%f", value);
    text.resize(static_cast<std::size_t>(length));
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.push_back('0');
    }
    return text;
}

std::string JoinList(const comp_mgr::StringList& list, const std::string& separator) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += separator;
        out += list[i];
    }
    return out;
}

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned int>(value));
    return text;
}

std::vector<std::string> StatusWords(int kind, std::int32_t status) {
    std::vector<std::string> words;
    const auto bits = static_cast<std::uint32_t>(status);
    if (kind == 0) {
        if (bits & 0x01) words.push_back("current");
    } else if (kind == 1) {
        if (bits & 0x01) words.push_back("found");
        if (bits & 0x02) words.push_back("new");
        if (bits & 0x08) words.push_back("pinned");
    }
    return words;
}

std::vector<std::string> ChangeWords(std::uint32_t changes) {
    std::vector<std::string> words;
    if (changes & 0x100) words.push_back("entries removed");
    if (changes & 0x200) words.push_back("record created");
    if (changes & 0x400) words.push_back("groups reconciled");
    if (changes & 0x800) words.push_back("links changed");
    return words;
}

int SectionKindOf(const std::string& section) {
    if (section.compare(0, 16, "VntInstallation_") == 0 && section.size() >= 16) return 0;
    if (section.compare(0, 7, "PlugIn_") == 0 && section.size() >= 7) return 1;
    return -1;
}

}  // namespace comp_mgr_tool
