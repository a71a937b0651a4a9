#include "comp_mgr/bucket_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace comp_mgr {
namespace {

std::vector<std::string> Keys(const BucketMap<std::string>& m) {
    std::vector<std::string> out;
    for (const auto& e : m) out.push_back(e.key());
    return out;
}

// The order a chained table of 17 buckets gives: bucket by bucket, newest first.
std::vector<std::string> ExpectedOrder(const std::vector<std::string>& insertionOrder) {
    std::vector<std::vector<std::string>> buckets(17);
    for (const auto& k : insertionOrder)
        buckets[BucketMap<std::string>::BucketOf(k)].insert(buckets[BucketMap<std::string>::BucketOf(k)].begin(), k);
    std::vector<std::string> out;
    for (auto& b : buckets) out.insert(out.end(), b.begin(), b.end());
    return out;
}

TEST(BucketMap, HashIsTimes33OverSignedBytesModulo17) {
    // "a" = 97 -> 97 % 17 = 12; "ab" = 97*33+98 = 3299 -> 3299 % 17 = 1.
    EXPECT_EQ(BucketMap<int>::BucketOf("a"), 12u);
    EXPECT_EQ(BucketMap<int>::BucketOf("ab"), 1u);
    EXPECT_EQ(BucketMap<int>::BucketOf(""), 0u);
    // Bytes above 127 count as negative: h = 0*33 + (-1) = 0xFFFFFFFF -> 4294967295 % 17 = 0.
    EXPECT_EQ(BucketMap<int>::BucketOf("\xff"), 4294967295u % 17u);
}

TEST(BucketMap, IteratesBucketsUpwardNewestFirstAndReplacingKeepsPlace) {
    BucketMap<std::string> m;
    std::vector<std::string> keys = {"Registration", "Family_InstDate", "UrlBase", "AutoLaunch", "x", "y", "ab", "ba"};
    for (const auto& k : keys) m.set(k, "v" + k);
    EXPECT_EQ(Keys(m), ExpectedOrder(keys));
    m.set("x", "changed");
    EXPECT_EQ(Keys(m), ExpectedOrder(keys));
    EXPECT_EQ(*m.find("x"), "changed");
}

TEST(BucketMap, LargeMapsStayConsistentThroughInsertsAndErasures) {
    // Crosses the size at which the side index is built; compare with std::map.
    BucketMap<int> m;
    std::map<std::string, int> ref;
    std::mt19937 rng(7);
    // Stems whose numbers place them in overlapping runs of the index, so
    // erasures shift keys of other stems back into the gaps.
    const auto key = [](unsigned n) {
        return std::string(n % 2 ? "PlugIn_" : "VntInstallation_") + std::to_string(n % 700);
    };
    for (int i = 0; i < 20000; ++i) {
        std::string k = key(rng());
        if (rng() % 2 == 0) {
            EXPECT_EQ(m.erase(k), ref.erase(k) == 1) << k;
        } else {
            m.set(k, i);
            ref[k] = i;
        }
    }
    ASSERT_EQ(m.size(), ref.size());
    for (unsigned n = 0; n < 1400; ++n) EXPECT_EQ(m.contains(key(n)), ref.count(key(n)) == 1) << key(n);
    for (const auto& [k, v] : ref) {
        ASSERT_NE(m.find(k), nullptr) << k;
        EXPECT_EQ(*m.find(k), v);
    }
    std::size_t visited = 0;
    for (const auto& e : m) {
        ++visited;
        EXPECT_EQ(ref.at(e.key()), e.value());
    }
    EXPECT_EQ(visited, ref.size());
}

// Keys that share stem and number but not their digits (leading zeros, or
// more digits than a number holds), keys with no number, and many stems over
// the same numbers: all stay distinct through the index.
TEST(BucketMap, NumberedKeysStayDistinctInALargeMap) {
    BucketMap<std::string> m;
    std::vector<std::string> keys;
    for (const char* stem : {"PlugIn_", "VntInstallation_", "", "x", "PlugIn_0"})
        for (int n : {0, 1, 7, 15, 16, 17, 255, 256, 1000, 99999})
            for (const char* zeros : {"", "0", "00"}) keys.push_back(stem + std::string(zeros) + std::to_string(n));
    keys.push_back("PlugIn_");
    keys.push_back("PlugIn_123456789012345678901234567890");
    keys.push_back("PlugIn_223456789012345678901234567890");
    for (const auto& k : keys) m.set(k, k);
    std::size_t distinct = std::set<std::string>(keys.begin(), keys.end()).size();
    EXPECT_EQ(m.size(), distinct);
    for (const auto& k : keys) {
        ASSERT_NE(m.find(k), nullptr) << k;
        EXPECT_EQ(*m.find(k), k);
    }
    for (std::size_t i = 0; i < keys.size(); i += 2) m.erase(keys[i]);
    std::set<std::string> kept;
    for (std::size_t i = 1; i < keys.size(); i += 2) kept.insert(keys[i]);
    for (std::size_t i = 0; i < keys.size(); i += 2) kept.erase(keys[i]);
    for (const auto& k : keys) EXPECT_EQ(m.contains(k), kept.count(k) == 1) << k;
    EXPECT_EQ(m.size(), kept.size());
}

// The order through inserts, replacements and erasures, in maps that grow
// past the size at which they keep bucket heads and an index, against a model
// of 17 chains; copies keep the same order.
TEST(BucketMap, OrderHoldsThroughChangesInSmallAndLargeMaps) {
    for (int range : {10, 60, 900}) {
        BucketMap<int> m;
        std::vector<std::vector<std::string>> chains(BucketMap<int>::kBuckets);
        std::mt19937 rng(static_cast<unsigned>(range));
        auto model = [&] {
            std::vector<std::string> order;
            for (const auto& chain : chains) order.insert(order.end(), chain.begin(), chain.end());
            return order;
        };
        auto keys = [&](const BucketMap<int>& map) {
            std::vector<std::string> out;
            for (const auto& e : map) out.push_back(e.key());
            return out;
        };
        for (int step = 0; step < 6 * range; ++step) {
            const std::string k = "K" + std::to_string(rng() % static_cast<unsigned>(range));
            auto& chain = chains[BucketMap<int>::BucketOf(k)];
            auto at = std::find(chain.begin(), chain.end(), k);
            if (rng() % 3 == 0) {
                ASSERT_EQ(m.erase(k), at != chain.end());
                if (at != chain.end()) chain.erase(at);
            } else {
                m.set(k, step);
                if (at == chain.end()) chain.insert(chain.begin(), k);
            }
            if (step % 7 == 0) {
                ASSERT_EQ(keys(m), model()) << range << " " << step;
            }
        }
        EXPECT_EQ(keys(m), model()) << range;
        EXPECT_EQ(keys(BucketMap<int>(m)), model()) << range;
    }
}

TEST(BucketMap, EraseDuringIterationVisitsEveryOtherKeyOnce) {
    BucketMap<int> m;
    for (int i = 0; i < 100; ++i) m.set("k" + std::to_string(i), i);
    std::vector<std::string> seen;
    for (auto it = m.begin(); it != m.end();) {
        seen.push_back(it.key());
        if (it.value() % 2 == 0)
            it = m.erase(it);
        else
            ++it;
    }
    EXPECT_EQ(seen.size(), 100u);
    EXPECT_EQ(m.size(), 50u);
    for (const auto& e : m) EXPECT_EQ(e.value() % 2, 1);
}

TEST(BucketMap, CopiesKeepOrderAndAreIndependent) {
    BucketMap<std::string> a;
    for (int i = 0; i < 40; ++i) a.set("key" + std::to_string(i), std::to_string(i));
    BucketMap<std::string> b(a);
    EXPECT_EQ(Keys(a), Keys(b));
    b.set("key1", "other");
    b.erase("key2");
    EXPECT_EQ(*a.find("key1"), "1");
    EXPECT_TRUE(a.contains("key2"));
    BucketMap<std::string> c;
    c = std::move(b);
    EXPECT_EQ(*c.find("key1"), "other");
    EXPECT_EQ(c.size(), 39u);
}

TEST(BucketMap, TakeMovesTheValueOut) {
    BucketMap<std::unique_ptr<int>> m;
    m.set("a", std::make_unique<int>(5));
    std::unique_ptr<int> out;
    EXPECT_TRUE(m.take("a", &out));
    EXPECT_EQ(*out, 5);
    EXPECT_FALSE(m.contains("a"));
    EXPECT_FALSE(m.take("a", &out));
}

// Renaming is taking the value out and setting it under the new key: the same
// values, the same iteration order, in small maps and in indexed large ones.
TEST(BucketMap, RenameActsAsTakeThenSet) {
    for (int keys : {12, 400}) {
        BucketMap<int> renamed;
        BucketMap<int> reference;
        std::mt19937 rng(static_cast<unsigned>(keys));
        for (int i = 0; i < keys; ++i) {
            renamed.set("S" + std::to_string(i), i);
            reference.set("S" + std::to_string(i), i);
        }
        for (int step = 0; step < 4 * keys; ++step) {
            const std::string from = "S" + std::to_string(rng() % (2 * keys));
            const std::string to = step % 5 == 0 ? from : "S" + std::to_string(rng() % (2 * keys));
            int value = 0;
            const bool had = reference.take(from, &value);
            if (had) reference.set(to, value);
            ASSERT_EQ(renamed.rename(from, to), had) << from << " -> " << to;
        }
        std::vector<std::pair<std::string, int>> a, b;
        for (const auto& e : renamed) a.emplace_back(e.key(), e.value());
        for (const auto& e : reference) b.emplace_back(e.key(), e.value());
        EXPECT_EQ(a, b) << keys;
        for (const auto& e : reference) EXPECT_EQ(*renamed.find(e.key()), e.value()) << e.key();
    }
}

}  // namespace
}  // namespace comp_mgr
