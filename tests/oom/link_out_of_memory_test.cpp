// Running out of memory in the middle of a linking operation: the request
// fails with std::bad_alloc and leaves every link list as it was, or it
// succeeds whole. Every allocation of the operation is made to fail in turn.
// The binary replaces the global operator new, so it is a program of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "services/linking/linker.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace {
// The allocation that fails (counted from 1 once armed); 0: none fails.
std::size_t failAt = 0;
std::size_t counted = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (failAt != 0 && ++counted == failAt) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
// The replacement new takes its blocks from malloc, so free releases them;
// the compiler cannot see the pairing.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace comp_mgr {
namespace testing_support {
namespace {

using Lists = std::vector<std::vector<std::string>>;

// Two installations; a group of three plug-ins of which one display name is
// already linked, so a forced link unlinks, relinks and changes both lists.
void Fill(TestCatalog& db) {
    db.ResetFlags(kFlagLoaded);
    for (const char* name : {"VntInstallation_1", "VntInstallation_2"}) {
        db.SetProperty(name, "ProgLocation", std::string("C:\\Ide\\") + name + ".exe");
        db.SetProperty(name, "CpuSupport", "*");
        db.SetProperty(name, "PlugInLst_GrpName", "PlugIn_4");
        db.Entry(name)->Status = kStatusRecordWriter;
    }
    const char* plugIns[][3] = {
        {"PlugIn_1", "A", "grp"}, {"PlugIn_2", "B", "grp"}, {"PlugIn_3", "C", "grp"}, {"PlugIn_4", "A", "old"}};
    for (const auto& p : plugIns) {
        db.SetProperty(p[0], "ProgLocation", std::string("C:\\Ide\\plugins\\") + p[0] + ".dll");
        db.SetProperty(p[0], "DisplayName", p[1]);
        db.SetProperty(p[0], "CpuSupport", "x");
        db.SetProperty(p[0], "PlugInLst_GrpName", p[2]);
        db.Entry(p[0])->Status = kStatusRecordWriter;
    }
}

Lists LinkLists(TestCatalog& db) {
    return {db.Entry("VntInstallation_1")->PlugInLst_GrpName.items(),
            db.Entry("VntInstallation_2")->PlugInLst_GrpName.items()};
}

// One request and all the installations it touches.
void Request(TestCatalog& db) {
    db.services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kMakeRoom);
}
void LinkEverything(TestCatalog& db) {
    db.services.detection.DetectNewPlugIns(DetectionMode::kLink);
}

TEST(LinkOutOfMemory, EachFailedAllocationLeavesTheListsAsTheyWereOrTheRequestIsDone) {
    for (void (*work)(TestCatalog&) : {&Request, &LinkEverything}) {
        TestMachine machine;
        machine.UseStandardLayout();
        Lists before, after;
        {
            TestCatalog db(machine.platform);
            Fill(db);
            for (const char* name : {"PlugIn_1", "PlugIn_2", "PlugIn_3"}) db.AddNewPlugIn(name);
            before = LinkLists(db);
            work(db);
            after = LinkLists(db);
        }
        ASSERT_NE(before, after) << "the request must change something";
        bool failedSomewhere = false;
        for (std::size_t k = 1;; ++k) {
            TestCatalog db(machine.platform);
            Fill(db);
            for (const char* name : {"PlugIn_1", "PlugIn_2", "PlugIn_3"}) db.AddNewPlugIn(name);
            counted = 0;
            failAt = k;
            bool failed = false;
            try {
                work(db);
            } catch (const std::bad_alloc&) {
                failed = true;
            }
            failAt = 0;
            if (!failed) {
                EXPECT_EQ(LinkLists(db), after) << "allocation " << k;
                break;  // no allocation k was made: every one has failed once
            }
            failedSomewhere = true;
            EXPECT_EQ(LinkLists(db), before) << "allocation " << k;
        }
        EXPECT_TRUE(failedSomewhere);
    }
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
