// Windows code page 1252, the ANSI code page the catalog's texts are in (and
// Wine's default): conversions to and from UTF-16 and to UTF-8.
#ifndef COMP_MGR_SUPPORT_CODE_PAGE_1252_H
#define COMP_MGR_SUPPORT_CODE_PAGE_1252_H

#include <string>
#include <string_view>

namespace comp_mgr {

// Every byte maps to one UTF-16 unit; the five bytes code page 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same value, as MultiByteToWideChar does.
std::u16string Cp1252ToUtf16(std::string_view text);

// One byte per UTF-16 unit, as WideCharToMultiByte converts without flags:
// a character the code page lacks becomes its best-fit byte ('A' for U+0100,
// '=' for U+2264) where Windows has one, else '?', the default character; each
// half of a surrogate pair is such a character.
std::string Utf16ToCp1252(std::u16string_view text);
char Utf16UnitToCp1252(char16_t unit);

// Valid UTF-8 for any byte string, for terminals and JSON.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace comp_mgr

#endif
