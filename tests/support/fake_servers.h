// Plug-in servers for unit tests: libraries of the in-memory loader whose
// DllRegisterServer / DllUnregisterServer exports record each call, with the
// machine's current directory at the time of the call.
#ifndef COMP_MGR_TESTS_SUPPORT_FAKE_SERVERS_H
#define COMP_MGR_TESTS_SUPPORT_FAKE_SERVERS_H

#include <string>
#include <vector>

#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {

// One instance at a time; it answers the exports while it lives.
class FakeServers {
public:
    explicit FakeServers(TestMachine& machine);
    ~FakeServers();
    FakeServers(const FakeServers&) = delete;
    FakeServers& operator=(const FakeServers&) = delete;

    // Makes `path` loadable with the chosen exports (at most kMaxServers).
    void Add(const std::string& path, bool withRegister = true, bool withUnregister = true);

    // "register <path> cwd=<current directory>" or "unregister ...", in call order.
    std::vector<std::string> calls;

    static constexpr std::size_t kMaxServers = 64;

    // Used by the exports.
    void Record(const char* verb, std::size_t slot);

private:
    TestMachine& machine_;
    std::vector<std::string> paths_;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
