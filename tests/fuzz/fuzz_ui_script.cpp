// A UI script's line is text from a file anyone writes: reading any bytes
// must not crash, and every step it yields must be one a dialog can play
// (check and uncheck steps name a section, without commas or blanks).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/new_components_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const comp_mgr::NewComponentsScript script = comp_mgr::ParseNewComponentsScript(line);
    for (const comp_mgr::NewComponentsStep& step : script.steps) {
        const bool named =
            step.kind == comp_mgr::NewComponentsStep::kCheck || step.kind == comp_mgr::NewComponentsStep::kUncheck;
        if (named != !step.section.empty()) std::abort();
        if (step.section.find_first_of(", \t\n") != std::string::npos) std::abort();
    }
    return 0;
}
