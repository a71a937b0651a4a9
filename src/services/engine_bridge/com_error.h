// The error an engine method reports by a failing HRESULT. It is raised
// inside the library and contained before any export returns.
#ifndef COMP_MGR_SERVICES_ENGINE_BRIDGE_COM_ERROR_H
#define COMP_MGR_SERVICES_ENGINE_BRIDGE_COM_ERROR_H

#include <cstdint>
#include <stdexcept>
#include <string>

namespace comp_mgr {

// E_OUTOFMEMORY, raised when a string copy for the engine cannot be made.
constexpr std::int32_t kComOutOfMemory = static_cast<std::int32_t>(0x8007000E);

class ComError : public std::runtime_error {
public:
    // description: the engine's error information, empty when it left none.
    ComError(std::int32_t result, std::string description)
        : std::runtime_error("component engine call failed"), result_(result), description_(std::move(description)) {}

    std::int32_t result() const { return result_; }
    const std::string& description() const { return description_; }

private:
    std::int32_t result_;
    std::string description_;
};

}  // namespace comp_mgr

#endif
