#include "platform/hosted/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace comp_mgr {
namespace {

using Warnings = std::vector<std::pair<std::size_t, std::string>>;

RegFileWarning Collect(Warnings* w) {
    return [w](std::size_t line, const std::string& message) { w->emplace_back(line, message); };
}

std::string Crlf(const std::string& lfText) {
    std::string out;
    for (char c : lfText) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// Every type and awkward name the writer has to carry.
void Populate(MemoryRegistry& reg) {
    const char* k = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";
    reg.SetString(kHkeyLocalMachine, k, "target", "C:\\Vantrel\\db");
    reg.SetString(kHkeyLocalMachine, k, "", "default value");
    reg.SetDword(kHkeyLocalMachine, k, "Count", 10);
    reg.SetRaw(kHkeyLocalMachine, k, "Blob", kRegBinary, std::string("\x01\x02\xff", 3));
    reg.SetRaw(kHkeyLocalMachine, k, "Path", kRegExpandSz, std::string("C\0", 2));
    reg.SetRaw(kHkeyLocalMachine, k, "NoTerminator", kRegSz, "abc");
    reg.SetRaw(kHkeyLocalMachine, k, "InnerNul", kRegSz, std::string("a\0b\0", 4));
    reg.SetRaw(kHkeyLocalMachine, k, "Lines", kRegSz, std::string("one\r\ntwo\0", 9));
    reg.SetRaw(kHkeyLocalMachine, k, "EmptySz", kRegSz, "");
    reg.SetString(kHkeyLocalMachine, k, "OnlyTerminator", "");
    reg.SetRaw(kHkeyLocalMachine, k, "ShortDword", kRegDword, std::string("\x01\x02", 2));
    reg.SetRaw(kHkeyLocalMachine, k, "Multi", kRegMultiSz, std::string("a\0b\0\0", 5));
    reg.SetRaw(kHkeyLocalMachine, k, "Qword", 0xb, std::string(8, '\x7f'));
    reg.SetRaw(kHkeyLocalMachine, k, "None", kRegNone, "");
    reg.SetRaw(kHkeyLocalMachine, k, "OddType", 0x12345678u, "\x10");
    reg.SetRaw(kHkeyLocalMachine, k, "Long", kRegBinary, std::string(300, '\xab'));
    reg.SetString(kHkeyLocalMachine, k, "Quote\"And\\Slash", "say \"hi\" \\ bye");
    reg.SetString(kHkeyLocalMachine, k, "Line\nBreak\rName", "x");
    reg.SetString(kHkeyLocalMachine, k, "High\xe9", "caf\xe9 = [x]");
    reg.SetString(kHkeyLocalMachine, k, "@", "not the default");
    reg.CreatePath(kHkeyLocalMachine, "SOFTWARE\\Empty Key  ]");
    reg.SetString(kHkeyCurrentUser, "Software\\Kovra", "user", "u");
    reg.SetString(kHkeyLocalMachine, "", "RootValue", "r");
}

TEST(RegFile, WritesTheRegeditLayout) {
    MemoryRegistry reg;
    const char* k = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";
    reg.SetString(kHkeyLocalMachine, k, "target", "C:\\Vantrel\\db");
    reg.SetString(kHkeyLocalMachine, k, "", "default value");
    reg.SetDword(kHkeyLocalMachine, k, "Count", 10);
    reg.SetRaw(kHkeyLocalMachine, k, "Blob", kRegBinary, std::string("\x01\x02\xff", 3));
    reg.SetRaw(kHkeyLocalMachine, k, "Path", kRegExpandSz, std::string("C\0", 2));
    reg.SetString(kHkeyClassesRoot, "CLSID", "", "");
    reg.SetString(kHkeyCurrentUser, "b", "x", "1");
    reg.CreatePath(kHkeyCurrentUser, "A");
    EXPECT_EQ(Crlf("REGEDIT4\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID]\n@=\"\"\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA]\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel]\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"
                   "\"target\"=\"C:\\\\Vantrel\\\\db\"\n"
                   "@=\"default value\"\n"
                   "\"Count\"=dword:0000000a\n"
                   "\"Blob\"=hex:01,02,ff\n"
                   "\"Path\"=hex(2):43,00\n\n"
                   "[HKEY_CURRENT_USER\\A]\n\n"
                   "[HKEY_CURRENT_USER\\b]\n\"x\"=\"1\"\n\n"),
              WriteRegFile(reg));
}

TEST(RegFile, EveryValueRoundTripsByteForByte) {
    MemoryRegistry original;
    Populate(original);
    const std::string first = WriteRegFile(original);

    MemoryRegistry copy;
    Warnings warnings;
    EXPECT_EQ(0u, ReadRegFile(first, copy, Collect(&warnings)));
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(first, WriteRegFile(copy));

    const char* k = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";
    EXPECT_EQ(original.ValueNames(kHkeyLocalMachine, k), copy.ValueNames(kHkeyLocalMachine, k));
    for (const std::string& name : original.ValueNames(kHkeyLocalMachine, k)) {
        std::uint32_t t1 = 0, t2 = 0;
        std::string d1, d2;
        ASSERT_TRUE(original.GetRaw(kHkeyLocalMachine, k, name, &t1, &d1));
        ASSERT_TRUE(copy.GetRaw(kHkeyLocalMachine, k, name, &t2, &d2)) << name;
        EXPECT_EQ(t1, t2) << name;
        EXPECT_EQ(d1, d2) << name;
    }
    std::string v;
    EXPECT_TRUE(copy.GetString(kHkeyCurrentUser, "Software\\Kovra", "user", &v));
    EXPECT_TRUE(copy.GetString(kHkeyLocalMachine, "", "RootValue", &v));
    EXPECT_TRUE(copy.KeyExists(kHkeyLocalMachine, "SOFTWARE\\Empty Key  ]"));
}

TEST(RegFile, StringsWithoutPlainTerminatorGoOutAsHex) {
    MemoryRegistry reg;
    reg.SetRaw(kHkeyLocalMachine, "K", "a", kRegSz, "ab");
    reg.SetRaw(kHkeyLocalMachine, "K", "b", kRegSz, std::string("a\nb\0", 4));
    const std::string text = WriteRegFile(reg);
    EXPECT_NE(std::string::npos, text.find("\"a\"=hex(1):61,62\r\n"));
    EXPECT_NE(std::string::npos, text.find("\"b\"=hex(1):61,0a,62,00\r\n"));
}

TEST(RegFile, LongHexWrapsLikeRegeditAndReadsBack) {
    MemoryRegistry reg;
    std::string blob;
    for (int i = 0; i < 200; ++i) blob.push_back(static_cast<char>(i));
    reg.SetRaw(kHkeyLocalMachine, "K", "Blob", kRegBinary, blob);
    const std::string text = WriteRegFile(reg);
    // The first line holds the name and 24 bytes; continuation lines start with two blanks.
    EXPECT_NE(std::string::npos,
              text.find("\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
                        "  16,17,"));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        ASSERT_NE(std::string::npos, end);
        EXPECT_LE(end - start, 80u);
        start = end + 2;
    }
    MemoryRegistry back;
    EXPECT_EQ(0u, ReadRegFile(text, back));
    std::string data;
    ASSERT_TRUE(back.GetRaw(kHkeyLocalMachine, "K", "Blob", nullptr, &data));
    EXPECT_EQ(blob, data);
}

TEST(RegFile, ReadsLfFilesMissingParentsClassesRootAndEscapes) {
    MemoryRegistry reg;
    const std::string text =
        "REGEDIT4\n"
        "\n"
        "; a comment\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\n"
        "\"target\"=\"C:\\\\Vantrel\\\\db\"\n"
        "  \"Spaced\" = dword:A \n"
        "\"Wrapped\"=hex:01,02,\\\n"
        "  03,04\n"
        "\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{1}]\n"
        "@=\"Server \\\"one\\\"\"\n"
        "\"Kept\"=\"back\\slash\"\n"
        "[hkey_current_user\\Software]\n"
        "\"u\"=hex(7):61,00,00\n";
    Warnings warnings;
    EXPECT_EQ(0u, ReadRegFile(text, reg, Collect(&warnings)));
    EXPECT_TRUE(warnings.empty());
    std::string v;
    ASSERT_TRUE(reg.GetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", &v));
    EXPECT_EQ("C:\\Vantrel\\db", v);
    std::uint32_t d = 0;
    ASSERT_TRUE(reg.GetDword(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "spaced", &d));
    EXPECT_EQ(10u, d);
    std::string raw;
    ASSERT_TRUE(reg.GetRaw(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "Wrapped", nullptr, &raw));
    EXPECT_EQ(std::string("\x01\x02\x03\x04", 4), raw);
    ASSERT_TRUE(reg.GetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{1}", "", &v));
    EXPECT_EQ("Server \"one\"", v);
    ASSERT_TRUE(reg.GetString(kHkeyClassesRoot, "CLSID\\{1}", "Kept", &v));
    EXPECT_EQ("back\\slash", v);  // an unknown escape stays as written
    std::uint32_t type = 0;
    ASSERT_TRUE(reg.GetRaw(kHkeyCurrentUser, "Software", "u", &type, &raw));
    EXPECT_EQ(kRegMultiSz, type);
    EXPECT_TRUE(reg.KeyExists(kHkeyLocalMachine, "SOFTWARE\\KOVRA"));  // parents made as needed
    EXPECT_EQ(reg.SubkeyNames(kHkeyLocalMachine, "SOFTWARE"), (std::vector<std::string>{"Classes", "KOVRA"}));
}

TEST(RegFile, MalformedLinesAreSkippedWithAWarningAndTheRestIsRead) {
    MemoryRegistry reg;
    const std::string text = Crlf(
        "REGEDIT4\n"
        "\"orphan\"=\"before any key\"\n"  // 2
        "[HKEY_LOCAL_MACHINE\\K]\n"
        "\"good1\"=\"1\"\n"
        "\"unterminated=\"x\"\n"           // 5
        "\"bad dword\"=dword:123456789\n"  // 6
        "\"bad hex\"=hex:1,2zz\n"          // 7
        "\"bad type\"=hex(q):00\n"         // 8
        "\"trailing\"=\"x\" junk\n"        // 9
        "garbage line\n"                   // 10
        "\"no equals\"\n"                  // 11
        "[HKEY_USERS\\Foo]\n"              // 12
        "\"lost\"=\"in unknown hive\"\n"   // 13
        "[HKEY_LOCAL_MACHINE\\A\\\\B]\n"   // 14
        "[HKEY_LOCAL_MACHINE\\K\n"         // 15
        "[HKEY_LOCAL_MACHINE\\K2]\n"
        "\"good2\"=dword:00000002\n");
    Warnings warnings;
    EXPECT_EQ(12u, ReadRegFile(text, reg, Collect(&warnings)));
    std::vector<std::size_t> lines;
    for (const auto& w : warnings) lines.push_back(w.first);
    EXPECT_EQ((std::vector<std::size_t>{2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), lines);
    EXPECT_TRUE(reg.ValueExists(kHkeyLocalMachine, "K", "good1"));
    EXPECT_TRUE(reg.ValueExists(kHkeyLocalMachine, "K2", "good2"));
    EXPECT_EQ(std::vector<std::string>{"good1"}, reg.ValueNames(kHkeyLocalMachine, "K"));
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "A"));
}

// "\\x" repeated: a key path of that many levels.
std::string Levels(std::size_t depth, const std::string& name = "x") {
    std::string path;
    for (std::size_t i = 0; i < depth; ++i) path += "\\" + name;
    return path;
}

TEST(RegFile, KeysDeeperThanWindowsAllowsAreSkippedWithOneWarning) {
    struct Case {
        const char* hive;
        std::size_t depth;  // below the stored root (HKCR is two levels down)
        bool kept;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", 512, true}, {"HKEY_LOCAL_MACHINE", 513, false}, {"HKEY_CURRENT_USER", 513, false},
        {"HKEY_CLASSES_ROOT", 512, true},  {"HKEY_CLASSES_ROOT", 513, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hive) + " " + std::to_string(c.depth));
        const bool classes = std::string(c.hive) == "HKEY_CLASSES_ROOT";
        const std::size_t below = c.depth - (classes ? 2 : 0);
        const std::string deep = std::string("[") + c.hive + Levels(below) + "]\n\"v\"=\"1\"\n";
        MemoryRegistry reg;
        Warnings warnings;
        const std::size_t skipped = ReadRegFile(
            "REGEDIT4\n" + deep + deep + "[HKEY_CURRENT_USER\\After]\n\"a\"=\"1\"\n", reg, Collect(&warnings));
        EXPECT_TRUE(reg.ValueExists(kHkeyCurrentUser, "After", "a"));
        const RegHandle stored = std::string(c.hive) == "HKEY_CURRENT_USER" ? kHkeyCurrentUser : kHkeyLocalMachine;
        const std::string storedPath = classes ? "SOFTWARE\\Classes" + Levels(below) : Levels(below).substr(1);
        EXPECT_EQ(c.kept, reg.ValueExists(stored, storedPath, "v"));
        EXPECT_EQ(c.kept ? 0u : 4u, skipped);  // two key lines and their values
        ASSERT_EQ(c.kept ? 0u : 1u, warnings.size());
        if (!c.kept) {
            EXPECT_EQ(2u, warnings[0].first);  // the first of them
            EXPECT_NE(std::string::npos, warnings[0].second.find("2 key(s) deeper than 512 levels"));
            EXPECT_NE(std::string::npos, warnings[0].second.find(std::string("[") + c.hive + "\\x\\x"));
        }
    }
}

// Regedit lists every parent; for a deep chain that would be the path once per
// level, so only shallow parents are listed and the rest are implied.
TEST(RegFile, ADeepChainIsWrittenInSpaceLinearInItsPath) {
    MemoryRegistry reg;
    const std::string name(200, 'n');
    const std::string path = Levels(512, name).substr(1);
    reg.SetString(kHkeyLocalMachine, path, "leaf", "1");
    reg.SetString(kHkeyLocalMachine, path.substr(0, 201 * 300 - 1), "middle", "1");
    const std::string written = WriteRegFile(reg);
    EXPECT_LT(written.size(), 3 * path.size());  // every level would be about 256 times the path
    MemoryRegistry back;
    EXPECT_EQ(0u, ReadRegFile(written, back));
    EXPECT_TRUE(back.ValueExists(kHkeyLocalMachine, path, "leaf"));
    EXPECT_TRUE(back.ValueExists(kHkeyLocalMachine, path.substr(0, 201 * 300 - 1), "middle"));
    EXPECT_EQ(written, WriteRegFile(back));
}

TEST(RegFile, RemovalLinesDeleteKeysAndValues) {
    MemoryRegistry reg;
    reg.SetString(kHkeyLocalMachine, "Gone\\Sub", "v", "1");
    reg.SetString(kHkeyLocalMachine, "Stay", "drop", "1");
    reg.SetString(kHkeyLocalMachine, "Stay", "keep", "1");
    Warnings warnings;
    ReadRegFile(
        "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\gone]\r\n\"after\"=\"x\"\r\n[HKEY_LOCAL_MACHINE\\Stay]\r\n\"DROP\"=-\r\n"
        "[-HKEY_LOCAL_MACHINE]\r\n",
        reg, Collect(&warnings));
    EXPECT_FALSE(reg.KeyExists(kHkeyLocalMachine, "Gone"));
    EXPECT_EQ(std::vector<std::string>{"keep"}, reg.ValueNames(kHkeyLocalMachine, "Stay"));
    ASSERT_EQ(2u, warnings.size());  // a value after a removal has no key; a whole hive is not removed
    EXPECT_EQ(4u, warnings[0].first);
    EXPECT_EQ(7u, warnings[1].first);
}

TEST(RegFile, ArbitraryInputSettlesAfterOneWrite) {
    // Inputs that differ from the written form must still give a stable second write.
    const char* inputs[] = {
        "[HKEY_LOCAL_MACHINE\\x]\n\"a\"=\"\\q\\n\\0\"\n\"A\"=dword:1\n@=hex:,\n",
        "\xEF\xBB\xBFREGEDIT4\r\n[HKCR\\.a]\r\n\"v\"=hex(0):\r\n[HKEY_CLASSES_ROOT]\r\n@=\"c\"\r\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"h\"=hex:01,\\\n[HKEY_LOCAL_MACHINE\\j]\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\ k ]  \n\"\r\"=\"\r\"\n",
    };
    for (const char* input : inputs) {
        MemoryRegistry first;
        ReadRegFile(input, first);
        const std::string once = WriteRegFile(first);
        MemoryRegistry second;
        EXPECT_EQ(0u, ReadRegFile(once, second)) << input;
        EXPECT_EQ(once, WriteRegFile(second)) << input;
    }
}

}  // namespace
}  // namespace comp_mgr
