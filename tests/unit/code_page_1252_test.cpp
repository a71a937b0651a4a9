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

TEST(CodePage1252Test, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToCp1252(u"A\u0100B"), "A?B");
    EXPECT_EQ(Utf16ToCp1252(u"x\U0001F600y"), "x?y");  // one mark for the surrogate pair
    EXPECT_EQ(Utf16ToCp1252(std::u16string(1, u'\xD800')), "?");
}

TEST(CodePage1252Test, Utf8OfAnyBytesIsValid) {
    EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Cp1252ToUtf8(std::string("\0\x81", 2)), std::string("\0\xC2\x81", 3));
}

}  // namespace
}  // namespace comp_mgr
