#include "support/log_text.h"

namespace comp_mgr {

std::string EscapeLogText(std::string_view text, bool escapeBar) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '|':
                out += escapeBar ? "\\|" : "|";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::string MessageLogLine(std::string_view caption, std::string_view text) {
    return EscapeLogText(caption) + "|" + EscapeLogText(text);
}

namespace {

std::string Joined(const std::vector<std::string>& texts, char separator) {
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i) out += separator;
        out += EscapeLogText(texts[i]);
    }
    return out;
}

}  // namespace

std::string NewComponentsLogLine(const std::vector<std::string>& itemTexts, const std::vector<std::string>& checked,
                                 const std::vector<std::string>& unchecked, bool ok) {
    return "newcomponents|" + Joined(itemTexts, ';') + "|checked=" + Joined(checked, ',') +
           "|unchecked=" + Joined(unchecked, ',') + (ok ? "|ok" : "|cancel");
}

}  // namespace comp_mgr
