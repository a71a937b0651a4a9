#include "display_text.h"

#include <vector>

#include "support/code_page_1252.h"

namespace comp_mgr_tool {
namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The code points of a valid UTF-8 text.
std::vector<char32_t> Decode(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += length;
    }
    return out;
}

void Encode(char32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t Lower(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;  // Latin-1 letters
    switch (cp) {
        case 0x160:  // the upper-case letters code page 1252 adds
        case 0x152:
        case 0x17D:
            return cp + 1;
        case 0x178:
            return 0xFF;
        default:
            return cp;
    }
}

}  // namespace

std::string LibraryText(std::string_view cp1252) {
    return comp_mgr::Cp1252ToUtf8(cp1252);
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t least = 0;
        if (c < 0x80) {
            length = 1;
        } else if (c >= 0xC2 && c < 0xE0) {
            length = 2, least = 0x80;
        } else if (c >= 0xE0 && c < 0xF0) {
            length = 3, least = 0x800;
        } else if (c >= 0xF0 && c < 0xF5) {
            length = 4, least = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return false;
        if (length > 1) {
            const char32_t cp = Decode(text.substr(i, length)).front();
            if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        }
        i += length;
    }
    return true;
}

std::string WordText(std::string_view word) {
#ifdef _WIN32
    return LibraryText(word);
#else
    return IsValidUtf8(word) ? std::string(word) : LibraryText(word);
#endif
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (char c : utf8) width += IsContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return width;
}

std::string FoldCase(std::string_view utf8) {
    const std::string valid = IsValidUtf8(utf8) ? std::string(utf8) : LibraryText(utf8);
    std::string out;
    for (char32_t cp : Decode(valid)) Encode(Lower(cp), &out);
    return out;
}

bool MatchesPattern(std::string_view pattern, std::string_view text) {
    const std::vector<char32_t> p = Decode(FoldCase(pattern));
    const std::vector<char32_t> t = Decode(FoldCase(text));
    // Greedy with one step back to the last star: linear for typical patterns.
    std::size_t pi = 0, ti = 0, star = std::string::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
            ++pi, ++ti;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ti;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace comp_mgr_tool
