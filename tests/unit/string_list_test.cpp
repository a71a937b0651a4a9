#include "comp_mgr/string_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace comp_mgr {
namespace {

TEST(StringList, KeepsOrderAndDuplicatesAndFindsTheFirst) {
    StringList l;
    l.push_back("b");
    l.push_back("a");
    l.push_back("b");
    EXPECT_EQ(l.size(), 3u);
    EXPECT_EQ(l.indexOf("b"), 0u);
    EXPECT_TRUE(l.removeFirst("b"));
    EXPECT_EQ(l.items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(l.removeFirst("c"));
    EXPECT_FALSE(l.appendUnique("a"));
    EXPECT_TRUE(l.appendUnique("A"));  // exact comparison
}

TEST(StringList, IndexedSearchAgreesWithALinearOneThroughChanges) {
    StringList l;
    std::vector<std::string> ref;
    std::mt19937 rng(11);
    for (int i = 0; i < 4000; ++i) {
        std::string s = "PlugIn_" + std::to_string(rng() % 60);
        switch (rng() % 4) {
            case 0:
            case 1:
                l.push_back(s);
                ref.push_back(s);
                break;
            case 2: {
                auto it = std::find(ref.begin(), ref.end(), s);
                bool had = it != ref.end();
                if (had) ref.erase(it);
                EXPECT_EQ(l.removeFirst(s), had);
                break;
            }
            default:
                if (!ref.empty()) {
                    std::size_t at = rng() % ref.size();
                    ref[at] = s + "x";
                    l.replaceAt(at, s + "x");
                }
        }
        std::string probe = "PlugIn_" + std::to_string(rng() % 60);
        ASSERT_EQ(l.contains(probe), std::find(ref.begin(), ref.end(), probe) != ref.end()) << i;
    }
    EXPECT_EQ(l.items(), ref);
}

TEST(StringList, CopiesAreIndependent) {
    StringList a;
    for (int i = 0; i < 30; ++i) a.push_back(std::to_string(i));
    EXPECT_TRUE(a.contains("5"));  // builds the index
    StringList b = a;
    b.removeFirst("5");
    EXPECT_TRUE(a.contains("5"));
    EXPECT_FALSE(b.contains("5"));
    a = b;
    EXPECT_FALSE(a.contains("5"));
}

}  // namespace
}  // namespace comp_mgr
