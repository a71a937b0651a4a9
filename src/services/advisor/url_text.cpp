#include "services/advisor/url_text.h"

namespace comp_mgr {

std::string WebName(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == ' ') c = '+';
        if (c == '/') c = '_';
    }
    return out;
}

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ') out.push_back(c);
    return out;
}

std::string PercentEncodeQueryValue(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b > 127 || c == '&' || c == '#' || c == '%' || c == '?' || c == '=') {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string EscapeHtmlAttribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

}  // namespace comp_mgr
