// UTF-8 and UTF-16, for texts the engines read from files and receive as
// BSTRs.
#ifndef VNT_ENGINE_UTF_H
#define VNT_ENGINE_UTF_H

#include <string>
#include <string_view>

namespace vnt_engine {

// Code points of UTF-16; an unpaired surrogate stays as its own value.
std::u32string FromUtf16(std::u16string_view text);
// UTF-8 of code points; a surrogate value is written as U+FFFD.
std::string ToUtf8(std::u32string_view text);
// UTF-16 of code points (U+FFFD for values beyond U+10FFFF or surrogates).
std::u16string ToUtf16(std::u32string_view text);
// Code points of UTF-8; false (and nothing decoded) when `text` is not valid
// UTF-8.
bool FromUtf8(std::string_view text, std::u32string* out);

inline std::string Utf16ToUtf8(std::u16string_view text) {
    return ToUtf8(FromUtf16(text));
}

}  // namespace vnt_engine

#endif
