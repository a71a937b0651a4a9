// The adapters every typed port suite runs against in this build.
#ifndef COMP_MGR_TESTS_PORTS_ADAPTERS_UNDER_TEST_H
#define COMP_MGR_TESTS_PORTS_ADAPTERS_UNDER_TEST_H

#include <gtest/gtest.h>

#include "ports/memory_adapter.h"
#include "ports/port_adapter.h"
#ifdef _WIN32
#include "ports/win32_adapter.h"
#else
#include "ports/hosted_adapter.h"
#endif

namespace comp_mgr {
namespace ports_test {

#ifdef _WIN32
using AdaptersUnderTest = ::testing::Types<MemoryAdapter, Win32Adapter>;
#else
using AdaptersUnderTest = ::testing::Types<MemoryAdapter, HostedAdapter>;
#endif

}  // namespace ports_test
}  // namespace comp_mgr

#endif
