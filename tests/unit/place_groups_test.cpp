#include "services/linking/place_groups.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

namespace comp_mgr {
namespace {

// Places added, killed and walked at random, against a plain scan of all
// places; enough texts and places that the table grows and probe runs form.
TEST(PlaceGroups, AgreeWithAScanThroughAdditionsAndDeaths) {
    std::vector<bool> alive;
    std::deque<std::string> texts;  // by place; stays where it is
    PlaceGroups groups(alive);
    std::mt19937 rng(3);
    auto scan = [&](const std::string& text) {
        std::vector<std::size_t> places;
        for (std::size_t p = 0; p < texts.size(); ++p)
            if (alive[p] && texts[p] == text) places.push_back(p);
        return places;
    };
    for (int step = 0; step < 6000; ++step) {
        const std::string text = "T" + std::to_string(rng() % 400);
        if (rng() % 3 != 0) {
            texts.push_back(text);
            alive.push_back(true);
            groups.Add(texts.size() - 1, &texts.back());
        } else if (!texts.empty()) {
            alive[rng() % texts.size()] = false;
        }
        const std::string probe = "T" + std::to_string(rng() % 420);
        const std::vector<std::size_t> expected = scan(probe);
        ASSERT_EQ(groups.HasLive(probe), !expected.empty()) << step;
        if (rng() % 2) {
            ASSERT_EQ(groups.First(probe), expected.empty() ? PlaceGroups::npos : expected.front()) << step;
        } else {
            std::vector<std::size_t> walked;
            groups.ForEachLive(probe, [&](std::size_t p) { walked.push_back(p); });
            ASSERT_EQ(walked, expected) << step;
        }
    }
}

// A group whose places all died takes new places again.
TEST(PlaceGroups, AnEmptiedGroupTakesNewPlaces) {
    std::vector<bool> alive;
    std::deque<std::string> texts{"a", "b", "a"};
    PlaceGroups groups(alive);
    for (std::size_t p = 0; p < texts.size(); ++p) {
        alive.push_back(true);
        groups.Add(p, &texts[p]);
    }
    alive[0] = alive[2] = false;
    EXPECT_EQ(groups.First("a"), PlaceGroups::npos);
    texts.push_back("a");
    alive.push_back(true);
    groups.Add(3, &texts.back());
    EXPECT_EQ(groups.First("a"), 3u);
    EXPECT_EQ(groups.First("b"), 1u);
    EXPECT_FALSE(groups.HasLive("c"));
}

}  // namespace
}  // namespace comp_mgr
