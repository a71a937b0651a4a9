// The component engine's policy (engine/policy.h): its patterns, its file
// format and which rule decides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/policy.h"

namespace vnt_engine {
namespace {

TEST(EnginePolicyTest, WildcardsMatchWholeNamesWithoutRegardToCase) {
    struct Case {
        std::u32string pattern;
        std::u32string text;
        bool matches;
    };
    const std::vector<Case> cases = {
        {U"", U"", true},
        {U"", U"a", false},
        {U"*", U"", true},
        {U"*", U"anything at all", true},
        {U"a*b", U"aXXb", true},
        {U"a*b", U"aXXbc", false},
        {U"*b*", U"abc", true},
        {U"?", U"", false},
        {U"??", U"\u00E9\u20AC", true},  // one character each, whatever its value
        {U"Vantrel *", U"VANTREL Flash", true},
        {U"Vantrel *", U"Vantrel", false},
        {U"\u00C4nderung*", U"\u00E4NDERUNG", true},  // Latin-1 letters fold too
        {U"\u00D7", U"\u00F7", false},                // but the signs are not letters
        {U"*a*a*a*a*a*b", std::u32string(2000, U'a'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern.begin(), c.pattern.end()));
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches);
    }
}

TEST(EnginePolicyTest, HostSectionsDecideBeforeAllHostsAndTheFirstMatchingRuleWins) {
    const Policy policy = Policy::Parse(
        "\xEF\xBB\xBF; approved by IT\r\n"
        "settle = Early*\r\n"  // before any section: all hosts
        "[all]\r\n"
        "reject = *Beta*\r\n"
        "settle = Vantrel *\r\n"
        "frobnicate = Vantrel Flash\r\n"  // not a verb: passed over
        "[VN_APP*.EXE]\r\n"
        "ask = Vantrel Beta Probe\r\n"
        "settle = *Beta*\r\n"
        "[OTHER.EXE\r\n"  // a damaged header: what follows applies nowhere
        "reject = *\r\n"
        "# comment\r\n"
        "[TOOLS.EXE]\r\n"
        "reject = Vantrel *\r\n");
    struct Case {
        const char32_t* host;
        const char32_t* name;
        Verdict verdict;
    };
    const std::vector<Case> cases = {
        {U"VN_APP.EXE", U"Vantrel Flash", Verdict::kSettle},
        {U"VN_APP.EXE", U"Vantrel Beta Probe", Verdict::kAsk},
        {U"VN_APP_DEV.EXE", U"Flash Beta", Verdict::kSettle},
        {U"COMP_MGR.EXE", U"Flash Beta", Verdict::kReject},
        {U"COMP_MGR.EXE", U"Early Bird", Verdict::kSettle},
        {U"COMP_MGR.EXE", U"Other", Verdict::kAsk},
        {U"OTHER.EXE", U"Other", Verdict::kAsk},
        {U"TOOLS.EXE", U"Vantrel Flash", Verdict::kReject},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char32_t>::length(c.name)));
        EXPECT_EQ(policy.Decide(c.host, c.name), c.verdict);
    }
    EXPECT_EQ(policy.RulesFor(U"VN_APP.EXE"), 5u);
    EXPECT_EQ(policy.RulesFor(U"COMP_MGR.EXE"), 3u);
}

TEST(EnginePolicyTest, FileThatIsNotUtf8IsReadAsCodePage1252) {
    const Policy policy = Policy::Parse("[all]\nsettle = \xC4nderungs* \x80\n");
    EXPECT_EQ(policy.Decide(U"VN_APP.EXE", U"\u00E4nderungsdienst \u20AC"), Verdict::kSettle);
    EXPECT_EQ(Policy::Parse("").Decide(U"VN_APP.EXE", U"x"), Verdict::kAsk);
}

}  // namespace
}  // namespace vnt_engine
