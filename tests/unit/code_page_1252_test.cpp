#include "support/code_page_1252.h"

#include <gtest/gtest.h>

namespace comp_mgr {
namespace {

TEST(CodePage1252Test, EveryByteSurvivesTheWayToUtf16AndBack) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::u16string wide = Cp1252ToUtf16(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0x80], u'\u20AC');
    EXPECT_EQ(wide[0x81], u'\u0081');  // undefined in the code page: kept as the control
    EXPECT_EQ(wide[0x9F], u'\u0178');
    EXPECT_EQ(wide[0xE9], u'\u00E9');
    EXPECT_EQ(Utf16ToCp1252(wide), all);
}

// What WideCharToMultiByte gives under Wine for characters the code page
// lacks: a best-fit byte where there is one, else '?', one per UTF-16 unit.
TEST(CodePage1252Test, CharactersOutsideTheCodePageTakeTheirBestFitOrAQuestionMark) {
    const struct {
        std::u16string wide;
        std::string narrow;
    } cases[] = {
        {u"A\u0100B", "AAB"},            // A with macron
        {u"\u2264", "="},                // less-than or equal to
        {u"\u0141\u212A\u0130", "LKI"},  // L with stroke, Kelvin sign, dotted I
        {u"\u03A9\u0391\u3042", "O??"},  // omega fits, alpha and hiragana do not
        {u"\uFF5E", "~"},                // fullwidth tilde
        {u"\u0080\u0081", "?\x81"},      // a control the code page lacks; an undefined byte kept
        {u"x\U0001F600y", "x??y"},       // each half of a surrogate pair
        {std::u16string(1, u'\xD800'), "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16ToCp1252(c.wide), c.narrow);
}

TEST(CodePage1252Test, Utf8OfAnyBytesIsValid) {
    EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Cp1252ToUtf8(std::string("\0\x81", 2)), std::string("\0\xC2\x81", 3));
}

}  // namespace
}  // namespace comp_mgr
