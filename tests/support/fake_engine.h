// A component engine for unit tests: VntCoreComponentEngine.dll in the
// in-memory loader, with COM's layout, whose every step can be made to fail
// and which records each call, each release and what was still loaded then.
#ifndef COMP_MGR_TESTS_SUPPORT_FAKE_ENGINE_H
#define COMP_MGR_TESTS_SUPPORT_FAKE_ENGINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "comp_mgr/engine_interface.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {

// One instance at a time; it answers the engine's export while it lives.
class FakeEngine {
public:
    explicit FakeEngine(TestMachine& machine);
    ~FakeEngine();
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    // DllGetClassObject and the factory's CreateInstance: their result, and
    // whether they hand out no object even so.
    engine_abi::HResult classObjectResult = engine_abi::kOk;
    bool nullFactory = false;
    engine_abi::HResult createResult = engine_abi::kOk;
    bool nullObject = false;

    // The methods: their result and answers.
    engine_abi::HResult methodResult = engine_abi::kOk;
    std::int32_t hostAnswer = 0;
    engine_abi::VariantBool settledAnswer = 0;
    engine_abi::VariantBool rejectedAnswer = 0;

    // Error information left by a failing method: whether the engine object
    // declares it (ISupportErrorInfo), and whether it leaves an object.
    bool declaresErrorInfo = false;
    bool leavesErrorInfo = false;
    std::string errorDescription;

    // In order: "DllGetClassObject", "CreateInstance", "QueryHost H",
    // "IsPluginSettled H|N", "IsPluginRejected H|N", "release engine",
    // "release factory", "release error info", each release followed by
    // " open=<libraries loaded then>".
    std::vector<std::string> calls;
    // The UTF-16 arguments of the last method called.
    std::vector<std::u16string> arguments;
    int liveObjects = 0;  // made and not yet released for the last time

    // Used by the fake's functions.
    void Record(const std::string& call) { calls.push_back(call); }
    void RecordRelease(const char* what);
    TestMachine& machine() { return machine_; }

private:
    TestMachine& machine_;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif
