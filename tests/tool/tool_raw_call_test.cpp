// The tool's raw-call line parser and printer, in process: lines are parsed
// against the export table and run against small stand-in functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalog_text.h"
#include "raw_call_format.h"
#include "raw_call_parser.h"
#include "raw_call_runner.h"

namespace comp_mgr_tool {
namespace {

std::vector<Token> Tokens(const std::string& line) {
    std::vector<Token> tokens;
    std::string error;
    EXPECT_TRUE(TokenizeLine(line, &tokens, &error)) << error;
    return tokens;
}

std::string TokenizeError(const std::string& line) {
    std::vector<Token> tokens;
    std::string error;
    EXPECT_FALSE(TokenizeLine(line, &tokens, &error)) << line;
    return error;
}

ParsedCall Parse(const std::string& line) {
    ParsedCall call;
    std::string error;
    EXPECT_TRUE(ParseCall(Tokens(line), &call, &error)) << line << ": " << error;
    return call;
}

std::string ParseError(const std::string& line) {
    ParsedCall call;
    std::string error;
    EXPECT_FALSE(ParseCall(Tokens(line), &call, &error)) << line;
    EXPECT_EQ(call.exported, nullptr);
    return error;
}

TEST(ToolTokenizer, WordsQuotesAndBlanks) {
    auto t = Tokens("  bGetKeyVNT\t\"C:\\Ide\\bin\\vn_app.exe\"   3.0 17  ");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[1].text, "C:\\Ide\\bin\\vn_app.exe");  // backslashes stand for themselves
    EXPECT_TRUE(t[1].quoted);
    EXPECT_FALSE(t[2].quoted);
    EXPECT_EQ(t[3].text, "17");

    t = Tokens("x \"\" \"a \"\"b\"\" c\" \"\"\"\" \"NULL\"");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[1].text, "");
    EXPECT_TRUE(t[1].quoted);
    EXPECT_EQ(t[2].text, "a \"b\" c");
    EXPECT_EQ(t[3].text, "\"");
    EXPECT_EQ(t[4].text, "NULL");
    EXPECT_TRUE(t[4].quoted);

    EXPECT_TRUE(Tokens("").empty());
    EXPECT_TRUE(Tokens(" \t ").empty());
}

TEST(ToolTokenizer, MalformedQuotes) {
    EXPECT_NE(TokenizeError("x \"abc").find("unterminated"), std::string::npos);
    EXPECT_NE(TokenizeError("x \"\"\"").find("unterminated"), std::string::npos);
    EXPECT_FALSE(TokenizeError("x \"abc\"def").empty());
    EXPECT_FALSE(TokenizeError("x ab\"c\"").empty());
}

TEST(ToolTokenizer, CommandLineWords) {
    Token t;
    std::string error;
    ASSERT_TRUE(TokenFromArgument("C:\\Program Files\\x.exe", &t, &error));
    EXPECT_EQ(t.text, "C:\\Program Files\\x.exe");  // one word, blanks and all
    EXPECT_FALSE(t.quoted);
    ASSERT_TRUE(TokenFromArgument("\"NULL\"", &t, &error));
    EXPECT_EQ(t.text, "NULL");
    EXPECT_TRUE(t.quoted);
    ASSERT_TRUE(TokenFromArgument("", &t, &error));
    EXPECT_EQ(t.text, "");
    EXPECT_FALSE(TokenFromArgument("\"a\"b", &t, &error));
    EXPECT_FALSE(TokenFromArgument("\"a", &t, &error));
}

TEST(ToolParser, BindsTextIntegerAndNull) {
    ParsedCall c = Parse("bInstallVNT NULL \"\" NULL \"NULL\" word \"a b\" -");
    ASSERT_NE(c.exported, nullptr);
    ASSERT_EQ(c.arguments.size(), 7u);
    EXPECT_TRUE(c.arguments[0].isNull);
    EXPECT_FALSE(c.arguments[1].isNull);
    EXPECT_EQ(c.arguments[1].text, "");
    EXPECT_TRUE(c.arguments[2].isNull);
    EXPECT_FALSE(c.arguments[3].isNull);
    EXPECT_EQ(c.arguments[3].text, "NULL");
    EXPECT_EQ(c.arguments[5].text, "a b");

    c = Parse("bLinkPlugIns VntInstallation_1 PlugIn_2 -1");
    EXPECT_EQ(c.arguments[2].integer, -1);
    c = Parse("iGetCatalogCount -2147483648");
    EXPECT_EQ(c.arguments[0].integer, -2147483647 - 1);
    c = Parse("iGetCatalogCount 2147483647");
    EXPECT_EQ(c.arguments[0].integer, 2147483647);
}

TEST(ToolParser, RejectsBadIntegersAndCapacities) {
    for (const char* bad : {"iGetCatalogCount 2147483648", "iGetCatalogCount -2147483649", "iGetCatalogCount 1.5",
                            "iGetCatalogCount +1", "iGetCatalogCount \"1\"", "iGetCatalogCount NULL",
                            "iGetCatalogCount -", "iGetCatalogCount 99999999999999999999999"})
        EXPECT_NE(ParseError(bad).find("integer"), std::string::npos) << bad;
    EXPECT_FALSE(ParseError("bGetKeyVNT a 3.0 -1").empty());
    EXPECT_FALSE(ParseError("bGetKeyVNT a 3.0 16777217").empty());  // above the largest capacity
    EXPECT_FALSE(ParseError("bGetKeyVNT a 3.0 NULL").empty());
    EXPECT_EQ(Parse("bGetKeyVNT a 3.0 16777216").arguments[2].capacity, kMaxCapacity);
    EXPECT_EQ(Parse("bGetKeyVNT a 3.0 0").arguments[2].capacity, 0u);
}

TEST(ToolParser, ArgumentCountsAndNames) {
    EXPECT_NE(ParseError("bGetKeyVNT a 3.0").find("missing capacity argument (usage: bGetKeyVNT TEXT TEXT CAPACITY)"),
              std::string::npos);
    EXPECT_NE(ParseError("bGetKeyVNT a 3.0 17 18").find("too many"), std::string::npos);
    EXPECT_NE(ParseError("bgetkeyvnt a 3.0 17").find("unknown export"), std::string::npos);
    EXPECT_NE(ParseError("\"bGetKeyVNT\" a 3.0 17").find("unknown export"), std::string::npos);
    EXPECT_NE(ParseError("bAbortDbUpdate x").find("too many"), std::string::npos);
    EXPECT_FALSE(ParseError("bGetDbUpdateFlag 5").empty());  // an out integer takes no argument
}

TEST(ToolParser, EntryKeywords) {
    EXPECT_EQ(Parse("bGetCatalogByNdx 0 0 32").arguments[4].entry, EntryChoice::Fresh);
    EXPECT_EQ(Parse("bGetCatalogByNdx 0 0 32 NULLENTRY").arguments[4].entry, EntryChoice::NullEntry);
    EXPECT_FALSE(ParseError("bGetCatalogByNdx 0 0 32 NULLADDR").empty());
    EXPECT_NE(ParseError("bGetCatalogByNdx 0 0 32 \"NULLENTRY\"").find("too many"), std::string::npos);
    EXPECT_EQ(Parse("bGetCatalogByKey PlugIn_1").arguments[1].entry, EntryChoice::Fresh);
    EXPECT_EQ(Parse("bGetCatalogByKey PlugIn_1 NULLENTRY").arguments[1].entry, EntryChoice::NullEntry);
    EXPECT_EQ(Parse("bGetCatalogByKey NULL NULLADDR").arguments[1].entry, EntryChoice::NullAddress);
    // The section name itself may be spelled like a keyword.
    ParsedCall c = Parse("bGetCatalogByKey NULLENTRY");
    EXPECT_EQ(c.arguments[0].text, "NULLENTRY");
    EXPECT_EQ(c.arguments[1].entry, EntryChoice::Fresh);
}

// A row with two size-and-buffer pairs and named out integers, the way the
// table describes an export (no export of this build has two pairs).
using TwoPairs = int(const char*, int*, int*, unsigned int*, char*, unsigned int*, char*);

int InvokeTwoPairs(AnyFunction function, const std::vector<Slot>& s) {
    return reinterpret_cast<TwoPairs*>(function)(s[0].text, s[1].outInt, s[2].outInt, s[3].size, s[4].buffer, s[5].size,
                                                 s[6].buffer);
}

ExportInfo TwoPairsRow() {
    ExportInfo info;
    info.name = "twoPairs";
    info.symbols = {info.name};
    info.params = {ParamKind::Text,   ParamKind::OutInt, ParamKind::OutInt, ParamKind::Size,
                   ParamKind::Buffer, ParamKind::Size,   ParamKind::Buffer};
    info.outNames = {"autoLaunch", "frequency"};
    info.invoke = &InvokeTwoPairs;
    return info;
}

// A call of the row above: a section and the two capacities.
ParsedCall TwoPairsCall(const ExportInfo& row, unsigned int capacity1, unsigned int capacity2) {
    ParsedCall call;
    call.exported = &row;
    for (ParamKind kind : row.params) {
        Argument arg;
        arg.kind = kind;
        call.arguments.push_back(arg);
    }
    call.arguments[0].text = "VntInstallation_1";
    call.arguments[3].capacity = capacity1;
    call.arguments[5].capacity = capacity2;
    return call;
}

TEST(ToolFormat, BufferText) {
    EXPECT_EQ(FormatBufferText(std::string("abc\0##", 6), ""), "text=\"abc\" nul=yes");
    EXPECT_EQ(FormatBufferText("abc", ""), "text=\"abc\" nul=no");
    EXPECT_EQ(FormatBufferText("", ""), "text=\"\" nul=no");
    EXPECT_EQ(FormatBufferText(std::string("a\"b\0", 4), "2"), "text2=\"a\"\"b\" nul2=yes");
}

TEST(ToolFormat, CallLines) {
    const ExportInfo& flag = *FindExport("bGetDbUpdateFlag");
    std::vector<ObservedOutput> out(1);
    out[0].outInt = 0x900;
    EXPECT_EQ(FormatCallLine(flag, 1, out), "bGetDbUpdateFlag -> 1 changes=0x00000900");
    out[0].outInt = kUntouchedOutput;
    EXPECT_EQ(FormatCallLine(flag, 0, out), "bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7");

    const ExportInfo twoPairs = TwoPairsRow();
    EXPECT_EQ(CallUsage(twoPairs), "twoPairs TEXT CAPACITY CAPACITY");
    std::vector<ObservedOutput> w(7);
    w[1].outInt = 1;
    w[2].outInt = 30;
    w[3].size = 4;
    w[4].bytes = std::string("http", 4);
    w[5].size = 2;
    w[6].bytes = std::string("ab\0", 3);
    EXPECT_EQ(FormatCallLine(twoPairs, 1, w),
              "twoPairs -> 1 autoLaunch=1 frequency=30 size1=4 text1=\"http\" nul1=no size2=2 text2=\"ab\" nul2=yes");

    EXPECT_EQ(FormatCallLine(*FindExport("vUnRegAllPlgN"), 0, {}), "vUnRegAllPlgN -> -");
    EXPECT_EQ(FormatCallLine(*FindExport("iGetCatalogCount"), -1, std::vector<ObservedOutput>(1)),
              "iGetCatalogCount -> -1");
}

TEST(ToolFormat, SdkVersionAsTheFileWritesIt) {
    EXPECT_EQ(SdkVersionText(1.0), "1.0");
    EXPECT_EQ(SdkVersionText(2.5), "2.5");
    EXPECT_EQ(SdkVersionText(10.125), "10.125");
    EXPECT_EQ(SdkVersionText(3.25), "3.25");
    EXPECT_EQ(SdkVersionText(100.0), "100.0");
    EXPECT_EQ(SdkVersionText(0.000001), "0.000001");
}

TEST(ToolFormat, EntryBlockAndFreshness) {
    comp_mgr::CatalogEntry e;
    EXPECT_TRUE(IsFreshEntry(e));
    e.extraProperties.set("Registration", "");
    EXPECT_FALSE(IsFreshEntry(e));  // an empty extra property is still a difference
    e = comp_mgr::CatalogEntry();
    e.SdkVersion = 2.0;
    EXPECT_FALSE(IsFreshEntry(e));

    e = comp_mgr::CatalogEntry();
    e.DisplayName = "Ide";
    e.Status = 17;
    e.CpuSupport.push_back("a");
    e.CpuSupport.push_back("b");
    e.PlugInLst_GrpName.push_back("PlugIn_1");
    e.extraProperties.set("Registration", "R");
    e.extraProperties.set("Family_InstDate", "d");
    std::string extras;
    for (const auto& p : e.extraProperties) extras += "  extra:" + p.key() + "=" + p.value() + "\n";
    EXPECT_EQ(FormatEntryBlock(e),
              "  DisplayName=Ide\n  ProgLocation=\n  LastAccessDate=\n  Status=17\n  SdkVersion=1.0\n"
              "  CpuSupport=a|b\n  PlugInLst_GrpName=PlugIn_1\n  GroupDescription=\n  HelpFile=\n  Sku=\n" +
                  extras);
}

// Stand-ins for exports, run through ExecuteCall.
int KeyExact(const char* location, const char*, unsigned int* size, char* buffer) {
    if (!location) return 0;
    const std::string text = "VntInstallation_3";
    if (text.size() < *size) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        *size = static_cast<unsigned int>(text.size());
        return 1;
    }
    std::memcpy(buffer, text.data(), *size);
    return 0;
}
int KeyOverflow(const char*, const char*, unsigned int* size, char* buffer) {
    std::memset(buffer, 'X', *size + 1u);
    return 0;
}
int FlagUntouched(int*) {
    return 0;
}
int ByKeyNameTooLong(const char*, comp_mgr::CatalogEntry** entry) {
    if (!entry || !*entry) return 0;
    (*entry)->DisplayName = "copied";
    return 0;
}
int ByKeyRetarget(const char*, comp_mgr::CatalogEntry** entry) {
    static comp_mgr::CatalogEntry other;
    if (entry) *entry = &other;
    return 1;
}
// The library's text rule: shorter than the size -> stored with NUL, size set; else cut, size kept.
void StoreText(const std::string& text, unsigned int* size, char* buffer) {
    if (text.size() < *size) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        *size = static_cast<unsigned int>(text.size());
    } else {
        std::memcpy(buffer, text.data(), *size);
    }
}
// Stores a long text in the first buffer and a short one in the second; leaves
// the second out integer alone.
int TwoTexts(const char*, int* autoLaunch, int*, unsigned int* size1, char* text1, unsigned int* size2, char* text2) {
    *autoLaunch = 1;
    StoreText("http://updates.example.com/base", size1, text1);
    StoreText("Sec\"1\"", size2, text2);
    return 1;
}
int SecondOverflow(const char*, int*, int*, unsigned int*, char*, unsigned int* size2, char* text2) {
    std::memset(text2, 'X', *size2 + 1u);
    return 0;
}
std::string seenText = "unset";
bool seenNull = false;
int PrepareRecorder(const char* section) {
    seenNull = section == nullptr;
    seenText = section ? section : "";
    return 1;
}

template <class F>
CallOutput Exec(const std::string& line, F* function) {
    return ExecuteCall(Parse(line), reinterpret_cast<AnyFunction>(function));
}

TEST(ToolExecute, TextRuleEdges) {
    EXPECT_EQ(Exec("bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 17", KeyExact).text,
              "bGetKeyVNT -> 0 size=17 text=\"VntInstallation_3\" nul=no\n");
    EXPECT_EQ(Exec("bGetKeyVNT x 3.0 18", KeyExact).text,
              "bGetKeyVNT -> 1 size=17 text=\"VntInstallation_3\" nul=yes\n");
    EXPECT_EQ(Exec("bGetKeyVNT x 3.0 0", KeyExact).text, "bGetKeyVNT -> 0 size=0 text=\"\" nul=no\n");
    // An untouched buffer reads as an empty text, its size as the capacity.
    CallOutput untouched = Exec("bGetKeyVNT NULL 3.0 5", KeyExact);
    EXPECT_EQ(untouched.text, "bGetKeyVNT -> 0 size=5 text=\"\" nul=yes\n");
    EXPECT_TRUE(untouched.faults.empty());
}

TEST(ToolExecute, WritePastCapacityIsReported) {
    for (const char* line : {"bGetKeyVNT x 3.0 0", "bGetKeyVNT x 3.0 9"}) {
        CallOutput o = Exec(line, KeyOverflow);
        ASSERT_EQ(o.faults.size(), 1u) << line;
        EXPECT_NE(o.faults[0].find("past the end"), std::string::npos);
    }
}

TEST(ToolExecute, TwoBuffersAreNumberedAndCutTextsShow) {
    const ExportInfo row = TwoPairsRow();
    CallOutput o = ExecuteCall(TwoPairsCall(row, 7, 0), reinterpret_cast<AnyFunction>(TwoTexts));
    EXPECT_EQ(o.text,
              "twoPairs -> 1 autoLaunch=1 frequency=-12345 size1=7 text1=\"http://\" nul1=no size2=0 text2=\"\" "
              "nul2=no\n");
    EXPECT_TRUE(o.faults.empty());
    o = ExecuteCall(TwoPairsCall(row, 100, 7), reinterpret_cast<AnyFunction>(TwoTexts));
    EXPECT_NE(o.text.find("size2=6 text2=\"Sec\"\"1\"\"\" nul2=yes"), std::string::npos) << o.text;
    // A write past the second buffer names that buffer.
    o = ExecuteCall(TwoPairsCall(row, 4, 4), reinterpret_cast<AnyFunction>(SecondOverflow));
    ASSERT_EQ(o.faults.size(), 1u);
    EXPECT_NE(o.faults[0].find("past the end of buffer 2 (capacity 4"), std::string::npos) << o.faults[0];
}

TEST(ToolExecute, UntouchedOutInteger) {
    EXPECT_EQ(Exec("bGetDbUpdateFlag", FlagUntouched).text, "bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7\n");
}

TEST(ToolExecute, NullAndEmptyTextReachTheCall) {
    Exec("bPrepareVNT NULL", PrepareRecorder);
    EXPECT_TRUE(seenNull);
    Exec("bPrepareVNT \"\"", PrepareRecorder);
    EXPECT_FALSE(seenNull);
    EXPECT_EQ(seenText, "");
}

TEST(ToolExecute, EntryShownWhenChangedDespiteZero) {
    CallOutput o = Exec("bGetCatalogByKey PlugIn_1", ByKeyNameTooLong);
    EXPECT_EQ(o.text.substr(0, o.text.find('\n') + 1), "bGetCatalogByKey -> 0\n");
    EXPECT_NE(o.text.find("  DisplayName=copied\n"), std::string::npos);
    // With a null entry nothing can be shown.
    EXPECT_EQ(Exec("bGetCatalogByKey PlugIn_1 NULLENTRY", ByKeyNameTooLong).text, "bGetCatalogByKey -> 0\n");
    EXPECT_EQ(Exec("bGetCatalogByKey PlugIn_1 NULLADDR", ByKeyNameTooLong).text, "bGetCatalogByKey -> 0\n");
}

TEST(ToolExecute, ChangedEntryPointerIsAFault) {
    CallOutput o = Exec("bGetCatalogByKey PlugIn_1", ByKeyRetarget);
    ASSERT_EQ(o.faults.size(), 1u);
    EXPECT_NE(o.faults[0].find("entry pointer"), std::string::npos);
}

}  // namespace
}  // namespace comp_mgr_tool
