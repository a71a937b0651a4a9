#include "support/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <limits>

#include "support/event_line.h"
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
    EXPECT_EQ(Trim("\x08x\x0e"), "\x08x\x0e");  // the neighbours of tab and carriage return are not white
    EXPECT_EQ(Trim("\xa0x\x85"), "\xa0x\x85");  // nor are the Latin-1 spaces
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

// The stamp is written without printf for speed; it must read as printf's
// "%04d-%02d-%02d %02d:%02d:%02d" would, at the edges of each width too.
TEST(EventLineText, StampReadsAsPrintfWouldPrintIt) {
    struct Case {
        int year, month, day, hour, minute, second;  // as in std::tm
        const char* stamp;
    };
    const Case cases[] = {
        {106, 11, 4, 15, 4, 33, "2006-12-04 15:04:33"},   {-1900, 0, 1, 0, 0, 0, "0000-01-01 00:00:00"},
        {8099, 0, 31, 23, 59, 60, "9999-01-31 23:59:60"}, {8100, 0, 1, 0, 0, 0, "10000-01-01 00:00:00"},
        {-1901, 0, 1, 0, 0, 0, "-001-01-01 00:00:00"},    {106, 99, 100, -1, 0, 0, "2006-100-100 -1:00:00"},
    };
    for (const Case& c : cases) {
        std::tm when{};
        when.tm_year = c.year;
        when.tm_mon = c.month;
        when.tm_mday = c.day;
        when.tm_hour = c.hour;
        when.tm_min = c.minute;
        when.tm_sec = c.second;
        EXPECT_EQ(std::string(c.stamp) + "|added|PlugIn_1|why", EventLine(when, "added", "PlugIn_1", "why"));
    }
}

}  // namespace
}  // namespace comp_mgr
