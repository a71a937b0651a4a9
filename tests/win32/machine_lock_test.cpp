// The tool's machine lock with the real Windows sharing rules: a second run
// waits, is told who holds the machine, and gets it once the first lets go.
#include <gtest/gtest.h>

#include <string>

#include "machine_lock.h"
#include "win32/win32_fixture.h"

namespace {

using comp_mgr_tool::MachineLock;
using Outcome = comp_mgr_tool::MachineLock::Outcome;

TEST(Win32MachineLockTest, ASecondRunWaitsIsToldWhoHoldsItAndGetsItAfterwards) {
    comp_mgr::win32_test::ScratchFolder scratch;
    const std::string path = scratch / "comp_mgr.lock";
    std::string holder;
    MachineLock first;
    ASSERT_EQ(first.Acquire(path, 0, "comp_mgr link", &holder), Outcome::kHeld);

    MachineLock second;
    EXPECT_EQ(second.Acquire(path, 200, "comp_mgr list", &holder), Outcome::kBusy);
    EXPECT_NE(holder.find("pid " + std::to_string(GetCurrentProcessId()) + ", comp_mgr link, since "),
              std::string::npos)
        << holder;

    first.Release();
    EXPECT_EQ(second.Acquire(path, 200, "comp_mgr list", &holder), Outcome::kHeld);
    EXPECT_NE(comp_mgr::win32_test::ReadFileBytes(path).find(", comp_mgr list, since "), std::string::npos);
}

TEST(Win32MachineLockTest, NoPlaceForTheLockIsNotAWait) {
    comp_mgr::win32_test::ScratchFolder scratch;
    std::string holder;
    MachineLock lock;
    EXPECT_EQ(lock.Acquire(scratch / "missing\\comp_mgr.lock", 60000, "comp_mgr list", &holder), Outcome::kUnavailable);
    EXPECT_EQ(lock.Acquire("", 60000, "comp_mgr list", &holder), Outcome::kUnavailable);
}

}  // namespace
