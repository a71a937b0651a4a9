#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "catalog/section_prints.h"

namespace comp_mgr {
namespace {

// The save compares a file read piece by piece with the hash taken of the
// whole text at the load: the cut points must not count.
TEST(StreamHash, WhereTheStreamIsCutDoesNotChangeItsValue) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "[PlugIn_" + std::to_string(i) + "]\r\nDisplayName=\xe9x\r\n";
    const std::uint64_t whole = StreamHash().Add(text).Value();
    for (std::size_t piece : {1u, 3u, 7u, 8u, 9u, 64u, 1000u}) {
        StreamHash pieces;
        for (std::size_t at = 0; at < text.size(); at += piece) pieces.Add(std::string_view(text).substr(at, piece));
        EXPECT_EQ(whole, pieces.Value()) << piece;
    }
    StreamHash bytes;
    for (char c : text) bytes.Add(static_cast<unsigned char>(c));
    EXPECT_EQ(whole, bytes.Value());
}

TEST(StreamHash, TellsApartStreamsThatDifferInOneByteOrInLength) {
    const std::string base(40, 'a');
    const std::uint64_t value = StreamHash().Add(base).Value();
    for (std::size_t at = 0; at < base.size(); ++at) {
        std::string other = base;
        other[at] = 'b';
        EXPECT_NE(value, StreamHash().Add(other).Value()) << at;
    }
    // Trailing zero bytes fill the last word as padding does: only the length tells.
    EXPECT_NE(StreamHash().Add("ab").Value(), StreamHash().Add(std::string("ab\0", 3)).Value());
    EXPECT_NE(StreamHash().Value(), StreamHash().Add(std::string(1, '\0')).Value());
}

TEST(SectionPrints, PropertiesCountInOrderAndAcrossARepeatedHeader) {
    const auto prints = [](std::initializer_list<std::pair<const char*, const char*>> lines) {
        SectionPrinter printer;
        printer.Section("PlugIn_1");
        for (const auto& line : lines) {
            if (!line.second)
                printer.Section(line.first);
            else
                printer.Property(line.first, line.second);
        }
        return printer.prints()[NameHash("PlugIn_1")];
    };
    const std::uint64_t ab = prints({{"a", "1"}, {"b", "2"}});
    EXPECT_EQ(ab, prints({{"a", "1"}, {"PlugIn_2", nullptr}, {"x", "9"}, {"PlugIn_1", nullptr}, {"b", "2"}}));
    EXPECT_NE(ab, prints({{"b", "2"}, {"a", "1"}}));
    EXPECT_NE(ab, prints({{"a", "12"}}));
    EXPECT_NE(prints({{"a", "1"}, {"b", ""}}), prints({{"a", "1b"}}));
    // Where the key ends and the value begins counts, at word edges too.
    EXPECT_NE(prints({{"ab", "c"}}), prints({{"a", "bc"}}));
    EXPECT_NE(prints({{"DisplayN", "ame=x"}}), prints({{"DisplayName", "x"}}));
    EXPECT_NE(prints({{"12345678", ""}}), prints({{"1234567", "8"}}));
}

// Keys that share their low bits probe past each other, key 0 is kept aside,
// and every key is still found after the table grows under them.
TEST(SectionPrints, KeysSharingLowBitsAndKeyZeroSurviveGrowth) {
    SectionPrints prints;
    std::vector<std::uint64_t> keys{0};
    for (std::uint64_t i = 1; i <= 3000; ++i) keys.push_back(i % 3 == 0 ? i << 40 : i * 0x9e3779b97f4a7c15ull);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(0u, prints.count(keys[i]));
        prints.try_emplace(keys[i], i + 1);
        EXPECT_EQ(i + 1, prints.try_emplace(keys[i], 999)) << "an existing key keeps its value";
    }
    EXPECT_EQ(keys.size(), prints.size());
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(i + 1, prints.at(keys[i])) << keys[i];
    EXPECT_EQ(nullptr, prints.find(7ull << 40));
    EXPECT_THROW(prints.at(7ull << 40), std::out_of_range);
    prints.clear();
    EXPECT_EQ(0u, prints.size());
    EXPECT_EQ(nullptr, prints.find(0));
    EXPECT_EQ(0u, prints[keys[5]]);
}

}  // namespace
}  // namespace comp_mgr
