#include "support/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "support/text_output.h"

namespace comp_mgr {
namespace {

TEST(Text, AtoIReadsLeadingDigitsAndSaturates) {
    EXPECT_EQ(AtoI("259"), 259);
    EXPECT_EQ(AtoI("  -12abc"), -12);
    EXPECT_EQ(AtoI("abc"), 0);
    EXPECT_EQ(AtoI(""), 0);
    EXPECT_EQ(AtoI("+7"), 7);
    EXPECT_EQ(AtoI("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(AtoI("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(AtoI("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(Text, AtoFReadsDecimalNotationOnly) {
    EXPECT_DOUBLE_EQ(AtoF("2.50"), 2.5);
    EXPECT_DOUBLE_EQ(AtoF(" 3.0abc"), 3.0);
    EXPECT_DOUBLE_EQ(AtoF("1e2"), 100.0);
    EXPECT_DOUBLE_EQ(AtoF("1e"), 1.0);  // a dangling exponent is not part of the number
    EXPECT_DOUBLE_EQ(AtoF(".5"), 0.5);
    EXPECT_DOUBLE_EQ(AtoF("-0.5"), -0.5);
    // Forms some C runtimes accept and others not read as 0 everywhere.
    EXPECT_EQ(AtoF("inf"), 0.0);
    EXPECT_EQ(AtoF("nan"), 0.0);
    EXPECT_EQ(AtoF("0x10"), 0.0);
    EXPECT_EQ(AtoF("1e400"), 0.0);
    EXPECT_EQ(AtoF("."), 0.0);
    EXPECT_EQ(AtoF("abc"), 0.0);
}

TEST(Text, FormatFixed6PrintsSixDecimals) {
    EXPECT_EQ(FormatFixed6(1.0), "1.000000");
    EXPECT_EQ(FormatFixed6(10.125), "10.125000");
    EXPECT_EQ(FormatFixed6(-2.5), "-2.500000");
    EXPECT_EQ(FormatFixed6(1e20), "100000000000000000000.000000");
}

TEST(Text, CaseAndWhiteSpaceAreAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase("C:\\Ide", "c:\\IDE"));
    EXPECT_FALSE(EqualsNoCase("\xc4", "\xe4"));  // no locale folding beyond ASCII
    EXPECT_EQ(ToUpper("vn_app.exe"), "VN_APP.EXE");
    EXPECT_EQ(Trim(" \t\r\n\v\fx y\f"), "x y");
    EXPECT_EQ(CompareNoCase("abc", "ABD"), -1);
    EXPECT_EQ(CompareNoCase("b", "A"), 1);
}

TEST(Text, CollapsingBackslashesWorksPairByPair) {
    EXPECT_EQ(CollapseDoubleBackslashes("C:\\\\Ide\\\\bin"), "C:\\Ide\\bin");
    EXPECT_EQ(CollapseDoubleBackslashes("a\\\\\\b"), "a\\\\b");    // three become two
    EXPECT_EQ(CollapseDoubleBackslashes("a\\\\\\\\b"), "a\\\\b");  // four become two
}

TEST(TextOutput, ShorterTextIsTerminatedOtherwiseCutWithoutTerminator) {
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    unsigned size = 18;
    EXPECT_TRUE(CopyTextOut("VntInstallation_3", &size, buf));
    EXPECT_EQ(size, 17u);
    EXPECT_STREQ(buf, "VntInstallation_3");

    std::memset(buf, '#', sizeof buf);
    size = 17;  // exactly fills: counts as too long
    EXPECT_FALSE(CopyTextOut("VntInstallation_3", &size, buf));
    EXPECT_EQ(size, 17u);
    EXPECT_EQ(std::string(buf, 18), "VntInstallation_3#");

    size = 0;
    EXPECT_FALSE(CopyTextOut("x", &size, buf));
    EXPECT_EQ(size, 0u);
}

}  // namespace
}  // namespace comp_mgr
