// String helpers with the C runtime's semantics the catalog relies on:
// ASCII-only case folding, C white space, atoi/atof, fixed-point formatting.
#ifndef COMP_MGR_SUPPORT_TEXT_H
#define COMP_MGR_SUPPORT_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace comp_mgr {

// Blank, tab, carriage return, line feed, vertical tab, form feed. Inline,
// with TrimView: the load asks both for every line of the catalog.
inline bool IsWhite(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// The part of `s` without white space at either end.
inline std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsWhite(s[b])) ++b;
    while (e > b && IsWhite(s[e - 1])) --e;
    return s.substr(b, e - b);
}
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

char AsciiUpper(char c);
char AsciiLower(char c);
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
// _stricmp semantics in the C locale.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);

// Replaces every pair of consecutive backslashes, left to right, by one.
std::string CollapseDoubleBackslashes(std::string_view s);

// Replaces every non-overlapping occurrence of `from` (not empty), left to right.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// atoi: optional white space and sign, then leading decimal digits; 0 when
// there are none. Out-of-range values saturate.
std::int32_t AtoI(std::string_view s);

// atof restricted to decimal notation (digits, point, exponent): "inf",
// "nan" and hexadecimal forms read as 0, and so does a value too large to
// represent, so that every version is a finite number on every platform.
double AtoF(std::string_view s);

// "%d" of a 32-bit integer.
std::string FormatInt(std::int64_t value);

// "%f" (six decimals) of a finite number.
std::string FormatFixed6(double value);

// A C string argument that may be null, as text (null reads as empty).
inline std::string ArgText(const char* s) {
    return s ? std::string(s) : std::string();
}

}  // namespace comp_mgr

#endif
