#include "report.h"

#include <algorithm>

namespace comp_mgr_tool {

std::string DumpJson(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string RenderTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths(headers.size(), 0);
    auto measure = [&widths](const std::vector<std::string>& row) {
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
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
            if (i + 1 < widths.size()) line += std::string(widths[i] - DisplayWidth(cell) + 2, ' ');
        }
        line.resize(contentEnd);
        return line + "\n";
    };
    std::string out = render(headers);
    for (const auto& row : rows) out += render(row);
    return out;
}

std::string RenderTsv(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows) {
    auto render = [](const std::vector<std::string>& row) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) line += '\t';
            for (char c : row[i]) line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
        }
        return line + "\n";
    };
    std::string out = render(headers);
    for (const auto& row : rows) out += render(row);
    return out;
}

std::string RenderKeyValues(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::size_t width = 0;
    for (const auto& p : pairs) width = std::max(width, DisplayWidth(p.first));
    std::string out;
    for (const auto& p : pairs) {
        out += p.first + ":";
        if (!p.second.empty()) out += std::string(width - DisplayWidth(p.first) + 1, ' ') + p.second;
        out += "\n";
    }
    return out;
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> BarFields(const std::string& line, std::size_t count) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() + 1 < count) {
        const std::size_t bar = line.find('|', start);
        if (bar == std::string::npos) break;
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace comp_mgr_tool
