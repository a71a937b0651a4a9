// Registry files come from disk and may be hand-edited: reading any bytes must
// not crash, and once written, the file must read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/hosted/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    comp_mgr::MemoryRegistry first;
    comp_mgr::ReadRegFile(input, first);
    const std::string once = comp_mgr::WriteRegFile(first);

    comp_mgr::MemoryRegistry second;
    if (comp_mgr::ReadRegFile(once, second) != 0) std::abort();  // our own output is never malformed
    if (comp_mgr::WriteRegFile(second) != once) std::abort();
    return 0;
}
