#include "platform/win32/win32_com.h"

#include "platform/win32/windows_api.h"

#include <ole2.h>
#include <oleauto.h>

namespace comp_mgr {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "a BSTR unit is 16 bits");

namespace {

BSTR AsSystem(engine_abi::Bstr text) {
    return reinterpret_cast<BSTR>(text);
}

}  // namespace

void Win32Com::Initialize() {
    CoInitialize(nullptr);
}

engine_abi::Bstr Win32Com::AllocString(const std::string& text) {
    if (text.size() > 0x7FFFFFFF) return nullptr;
    const int size = static_cast<int>(text.size());
    const int units = size ? MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0) : 0;
    if (size && units <= 0) return nullptr;
    BSTR copy = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (!copy) return nullptr;
    if (units) MultiByteToWideChar(CP_ACP, 0, text.data(), size, copy, units);
    return reinterpret_cast<engine_abi::Bstr>(copy);
}

void Win32Com::FreeString(engine_abi::Bstr text) {
    SysFreeString(AsSystem(text));
}

std::string Win32Com::NarrowText(engine_abi::Bstr text) {
    const UINT units = SysStringLen(AsSystem(text));
    if (!units || units > 0x7FFFFFFF) return std::string();
    const int size =
        WideCharToMultiByte(CP_ACP, 0, AsSystem(text), static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, AsSystem(text), static_cast<int>(units), &narrow[0], size, nullptr, nullptr);
    return narrow;
}

void* Win32Com::TakeErrorInfo(LibraryHandle) {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK) return nullptr;
    return info;
}

}  // namespace comp_mgr
