#include "platform/memory/memory_com.h"

#include "support/code_page_1252.h"

namespace comp_mgr {

engine_abi::Bstr MemoryCom::AllocString(const std::string& text) {
    if (allocationsUntilFailure == 0) return nullptr;
    if (allocationsUntilFailure > 0) --allocationsUntilFailure;
    std::u16string wide = Cp1252ToUtf16(text);
    engine_abi::Bstr copy = engine_abi::HostedAllocString(wide.data(), static_cast<std::uint32_t>(wide.size()));
    if (copy) ++liveStrings;
    return copy;
}

void MemoryCom::FreeString(engine_abi::Bstr text) {
    if (!text) return;
    --liveStrings;
    engine_abi::HostedFreeString(text);
}

std::string MemoryCom::NarrowText(engine_abi::Bstr text) {
    return Utf16ToCp1252(std::u16string_view(text, engine_abi::HostedStringLength(text)));
}

void* MemoryCom::TakeErrorInfo(LibraryHandle) {
    void* info = errorInfo;
    errorInfo = nullptr;
    return info;
}

}  // namespace comp_mgr
