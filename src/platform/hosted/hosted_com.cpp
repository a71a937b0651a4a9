#include "platform/hosted/hosted_com.h"

#include <dlfcn.h>

#include "support/code_page_1252.h"

namespace comp_mgr {

engine_abi::Bstr HostedCom::AllocString(const std::string& text) {
    std::u16string wide = Cp1252ToUtf16(text);
    return engine_abi::HostedAllocString(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

void HostedCom::FreeString(engine_abi::Bstr text) {
    engine_abi::HostedFreeString(text);
}

std::string HostedCom::NarrowText(engine_abi::Bstr text) {
    return Utf16ToCp1252(std::u16string_view(text, engine_abi::HostedStringLength(text)));
}

void* HostedCom::TakeErrorInfo(LibraryHandle server) {
    if (!server) return nullptr;
    auto take = reinterpret_cast<engine_abi::GetErrorInfoFn>(::dlsym(server, "GetErrorInfo"));
    void* info = nullptr;
    if (!take || take(0, &info) != engine_abi::kOk) return nullptr;
    return info;
}

}  // namespace comp_mgr
