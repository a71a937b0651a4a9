// VntCoreComponentEngine.policy is written by hand: any bytes must parse
// without a crash, and deciding must stay bounded for any pattern and name.
//
// Input: the policy file's bytes; its last line also serves as a display
// name and a host program name to decide on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/policy.h"
#include "engine/utf.h"
#include "support/code_page_1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const vnt_engine::Policy policy = vnt_engine::Policy::Parse(input);
    const std::size_t newline = input.rfind('\n');
    const std::string_view tail = newline == std::string_view::npos ? input : input.substr(newline + 1);
    const std::u32string name = vnt_engine::FromUtf16(comp_mgr::Cp1252ToUtf16(tail.substr(0, 256)));
    for (const std::u32string& host : {std::u32string(U"VN_APP.EXE"), name}) {
        const vnt_engine::Verdict verdict = policy.Decide(host, name);
        if (verdict != policy.Decide(host, name)) __builtin_trap();
        if (policy.RulesFor(host) == 0 && verdict != vnt_engine::Verdict::kAsk) __builtin_trap();
    }
    return 0;
}
