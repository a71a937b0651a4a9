#include "comp_mgr/string_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_set>
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
        // Names that differ only in leading zeros share a hash.
        std::string s = (rng() % 5 ? "PlugIn_" : "PlugIn_0") + std::to_string(rng() % 60);
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
                if (ref.empty()) break;
                std::size_t at = rng() % ref.size();
                if (rng() % 2) {
                    ref[at] = s + "x";
                    l.replaceAt(at, s + "x");
                } else {
                    ref.erase(ref.begin() + static_cast<std::ptrdiff_t>(at));
                    l.removeAt(at);
                }
        }
        std::string probe = (rng() % 5 ? "PlugIn_" : "PlugIn_0") + std::to_string(rng() % 60) + (rng() % 3 ? "" : "x");
        auto first = std::find(ref.begin(), ref.end(), probe);
        ASSERT_EQ(l.contains(probe), first != ref.end()) << i;
        ASSERT_EQ(l.indexOf(probe), first == ref.end() ? StringList::npos : std::size_t(first - ref.begin())) << i;
    }
    EXPECT_EQ(l.items(), ref);
}

// A densely filled index: removals shift probe runs back, and every text must
// stay findable at its right place afterwards.
TEST(StringList, DenseIndexSurvivesRemovalsInAnyOrder) {
    StringList l;
    std::vector<std::string> ref;
    for (int i = 0; i < 3000; ++i) ref.push_back("S" + std::to_string(i * 7919 % 100003));
    for (const auto& s : ref) l.push_back(s);
    ASSERT_TRUE(l.contains(ref.back()));  // builds the index at about half full
    for (int i = 3000; i < 6000; ++i) {
        ref.push_back("T" + std::to_string(i));
        l.push_back(ref.back());
    }
    std::mt19937 rng(5);
    while (ref.size() > 100) {
        std::size_t at = rng() % ref.size();
        if (rng() % 2) {
            ASSERT_TRUE(l.removeFirst(ref[at]));
        } else {
            l.removeAt(at);
        }
        ref.erase(ref.begin() + static_cast<std::ptrdiff_t>(at));
        if (ref.size() % 97 == 0) {
            for (std::size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(l.indexOf(ref[i]), i);
        }
    }
    EXPECT_FALSE(l.contains("S0x"));
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

// Removing many at once leaves what removeFirst for each leaves, duplicates
// and an index built before included.
TEST(StringList, RemovingTheFirstOfEachAgreesWithRemovingOneAtATime) {
    struct Case {
        std::vector<std::string> items;
        std::vector<std::string> removed;
    };
    std::vector<std::string> large;
    for (int i = 0; i < 40; ++i) large.push_back("PlugIn_" + std::to_string(i % 30));
    const Case cases[] = {
        {{"a", "b", "a", "c"}, {"a"}},
        {{"a", "b", "a", "c"}, {"a", "c", "absent"}},
        {{"a", "b"}, {}},
        {{}, {"a"}},
        {large, {"PlugIn_0", "PlugIn_5", "PlugIn_29", "PlugIn_31"}},
    };
    for (const Case& c : cases) {
        StringList batch;
        StringList single;
        for (const std::string& item : c.items) {
            batch.push_back(item);
            single.push_back(item);
        }
        batch.contains("x");  // an index, when the list is large enough for one
        for (const std::string& name : c.removed) single.removeFirst(name);
        batch.removeFirstOfEach(std::unordered_set<std::string>(c.removed.begin(), c.removed.end()));
        EXPECT_EQ(single, batch) << c.items.size() << " items";
        for (const std::string& name : c.items) EXPECT_EQ(single.indexOf(name), batch.indexOf(name)) << name;
    }
}

}  // namespace
}  // namespace comp_mgr
