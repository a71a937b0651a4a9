#include "report.h"

#include <algorithm>
#include <cstdio>

#include "support/code_page_1252.h"

namespace comp_mgr_tool {

Json& Json::Push(Json value) {
    items_.push_back(std::move(value));
    return items_.back();
}

Json& Json::Set(std::string key, Json value) {
    members_.emplace_back(std::move(key), std::move(value));
    return members_.back().second;
}

// The library's texts are in code page 1252; JSON is UTF-8.
std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (char c : comp_mgr::Cp1252ToUtf8(text)) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", u);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string Json::Dump() const {
    std::string out;
    DumpTo(&out);
    return out;
}

void Json::DumpTo(std::string* out) const {
    switch (type_) {
        case Type::Null:
            *out += "null";
            break;
        case Type::Bool:
            *out += bool_ ? "true" : "false";
            break;
        case Type::Number:
            *out += std::to_string(number_);
            break;
        case Type::String:
            *out += JsonQuote(string_);
            break;
        case Type::Array:
            *out += '[';
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (i) *out += ',';
                items_[i].DumpTo(out);
            }
            *out += ']';
            break;
        case Type::Object:
            *out += '{';
            for (std::size_t i = 0; i < members_.size(); ++i) {
                if (i) *out += ',';
                *out += JsonQuote(members_[i].first) + ':';
                members_[i].second.DumpTo(out);
            }
            *out += '}';
            break;
    }
}

std::string RenderTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths(headers.size(), 0);
    auto measure = [&widths](const std::vector<std::string>& row) {
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    };
    measure(headers);
    for (const auto& row : rows) measure(row);
    auto render = [&widths](const std::vector<std::string>& row) {
        std::string line;
        std::size_t contentEnd = 0;  // padding after the last cell with text is dropped
        for (std::size_t i = 0; i < widths.size(); ++i) {
            const std::string cell = i < row.size() ? row[i] : std::string();
            line += cell;
            if (!cell.empty()) contentEnd = line.size();
            if (i + 1 < widths.size()) line += std::string(widths[i] - cell.size() + 2, ' ');
        }
        line.resize(contentEnd);
        return line + "\n";
    };
    std::string out = render(headers);
    for (const auto& row : rows) out += render(row);
    return out;
}

std::string RenderKeyValues(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::size_t width = 0;
    for (const auto& p : pairs) width = std::max(width, p.first.size());
    std::string out;
    for (const auto& p : pairs) {
        out += p.first + ":";
        if (!p.second.empty()) out += std::string(width - p.first.size() + 1, ' ') + p.second;
        out += "\n";
    }
    return out;
}

}  // namespace comp_mgr_tool
