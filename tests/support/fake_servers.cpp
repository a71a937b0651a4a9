#include "support/fake_servers.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace comp_mgr {
namespace testing_support {

namespace {

using ServerExport = std::int32_t (*)();

FakeServers* active = nullptr;

template <std::size_t Slot>
std::int32_t RegisterSlot() {
    if (active) active->Record("register", Slot);
    return 0;
}

template <std::size_t Slot>
std::int32_t UnregisterSlot() {
    if (active) active->Record("unregister", Slot);
    return 0;
}

template <std::size_t... Slots>
std::array<std::pair<ServerExport, ServerExport>, sizeof...(Slots)> MakeTable(std::index_sequence<Slots...>) {
    return {{{&RegisterSlot<Slots>, &UnregisterSlot<Slots>}...}};
}

const auto kExports = MakeTable(std::make_index_sequence<FakeServers::kMaxServers>());

void* AsSymbol(ServerExport f) {
    return reinterpret_cast<void*>(f);
}

}  // namespace

FakeServers::FakeServers(TestMachine& machine) : machine_(machine) {
    active = this;
}

FakeServers::~FakeServers() {
    if (active == this) active = nullptr;
}

void FakeServers::Add(const std::string& path, bool withRegister, bool withUnregister) {
    if (paths_.size() >= kMaxServers) throw std::length_error("too many fake servers");
    const auto& slot = kExports[paths_.size()];
    paths_.push_back(path);
    std::map<std::string, void*> exports;
    if (withRegister) exports["DllRegisterServer"] = AsSymbol(slot.first);
    if (withUnregister) exports["DllUnregisterServer"] = AsSymbol(slot.second);
    machine_.loader.AddLibrary(path, std::move(exports));
}

void FakeServers::Record(const char* verb, std::size_t slot) {
    std::string cwd;
    machine_.files.GetCurrentDirectory(&cwd, 1u << 20);
    calls.push_back(std::string(verb) + " " + paths_.at(slot) + " cwd=" + cwd);
}

}  // namespace testing_support
}  // namespace comp_mgr
