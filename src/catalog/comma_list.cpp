#include "catalog/comma_list.h"

#include "catalog/component_database.h"

namespace comp_mgr {

std::string NormaliseCommaText(const std::string& text) {
    std::string s = text;
    if (!s.empty() && s.front() == ',') s.front() = ' ';
    if (!s.empty() && s.back() == ',') s.back() = ' ';
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ') out.push_back(c);
    return out;
}

bool TokenListContains(const std::string& text, const std::string& item, char separator) {
    std::size_t pos = text.find(item);
    if (pos == std::string::npos) return false;
    const bool startsItem = pos == 0 || text[pos - 1] == separator;
    const std::size_t end = pos + item.size();
    const bool endsItem = end == text.size() || text[end] == ',';
    return startsItem && endsItem;
}

void TokenListAppend(std::string& text, const std::string& item, char separator) {
    if (TokenListContains(text, item, separator)) return;
    if (text.empty()) {
        text = item;
    } else {
        text += separator;
        text += item;
    }
}

std::string JoinCommaList(const StringList& items) {
    std::string joined;
    for (const std::string& item : items) {
        joined += item;
        joined += ',';
    }
    return NormaliseCommaText(joined);
}

std::string MergeCommaTexts(const std::string& existing, const std::string& added) {
    StringList addedItems;
    SplitIntoList(NormaliseCommaText(added), addedItems);
    StringList merged;
    if (!existing.empty()) SplitIntoList(existing, merged);
    // An empty item names nothing; taking it would leave a stray comma
    // ("A" and " " would give "A,").
    for (const std::string& item : addedItems)
        if (!item.empty()) merged.appendUnique(item);
    return JoinCommaList(merged);
}

bool SplitIntoList(std::string_view value, StringList& list) {
    bool appended = false;
    std::size_t start = 0;
    std::string item;
    while (true) {
        std::size_t comma = value.find(',', start);
        item.assign(value, start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!list.contains(item)) {
            list.push_back(std::move(item));
            appended = true;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return appended;
}

int SplitList(const std::string& text, char separator, std::vector<std::string>& pieces) {
    std::size_t start = 0;
    for (std::size_t cut; (cut = text.find(separator, start)) != std::string::npos; start = cut + 1)
        if (cut > start) pieces.push_back(text.substr(start, cut - start));
    if (start < text.size()) pieces.push_back(text.substr(start));
    return 1;
}

}  // namespace comp_mgr
