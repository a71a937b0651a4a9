#include "server_runtime.h"

#include <cstdio>
#include <cstring>

#include "utf.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>

#include <atomic>
#endif

namespace vnt_engine {

using namespace comp_mgr::engine_abi;

namespace {

// Reads at most `limit` bytes; false when there are more or reading fails.
bool ReadAndClose(std::FILE* file, std::size_t limit, std::string* bytes) {
    std::string content;
    char buffer[4096];
    std::size_t n;
    bool fits = true;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (content.size() + n > limit) {
            fits = false;
            break;
        }
        content.append(buffer, n);
    }
    const bool ok = fits && !std::ferror(file);
    std::fclose(file);
    if (ok) bytes->swap(content);
    return ok;
}

}  // namespace

std::string Beside(const std::string& path, const std::string& name) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
    std::u32string points;
    if (!FromUtf8(utf8, &points)) return std::wstring();
    std::u16string units = ToUtf16(points);
    return std::wstring(units.begin(), units.end());
}

std::FILE* Open(const std::string& path, const wchar_t* mode) {
    std::wstring wide = Wide(path);
    return wide.empty() ? nullptr : _wfopen(wide.c_str(), mode);
}

}  // namespace

std::u16string_view StringView(Bstr text) {
    return std::u16string_view(text, SysStringLen(reinterpret_cast<BSTR>(text)));
}

void LeaveErrorInfo(const Guid& iid, const std::u16string* description) {
    if (!description) {
        SetErrorInfo(0, nullptr);
        return;
    }
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return;
    GUID guid;
    static_assert(sizeof guid == sizeof iid, "GUID layout");
    std::memcpy(&guid, &iid, sizeof guid);
    create->SetGUID(guid);
    std::wstring text(description->begin(), description->end());
    create->SetDescription(&text[0]);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

std::string OwnPath(const void* anchor) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(anchor), &module))
        return std::string();
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(module, path, 32768);
    if (n == 0 || n >= 32768) return std::string();
    std::u16string units(path, path + n);
    return Utf16ToUtf8(units);
}

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string* bytes) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::FILE* file = Open(path, L"rb");
    if (!file) return false;
    return ReadAndClose(file, limit, bytes);
}

void AppendLine(const std::string& path, const std::string& line) {
    std::FILE* file = Open(path, L"ab");
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

#else  // the hosted machine

namespace {

// The error object of the hosted machine: IErrorInfo's layout, holding a
// description.
struct ErrorObject {
    const AnySlot* table;
    std::atomic<std::uint32_t> references;
    Guid iid;
    std::u16string description;
};

template <class Fn>
AnySlot Any(Fn f) {
    return reinterpret_cast<AnySlot>(f);
}

HResult ErrorQueryInterface(void* self, const Guid* iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (!iid || (*iid != kUnknownId && *iid != kErrorInfoId)) return kNoInterface;
    ++static_cast<ErrorObject*>(self)->references;
    *object = self;
    return kOk;
}
std::uint32_t ErrorAddRef(void* self) {
    return ++static_cast<ErrorObject*>(self)->references;
}
std::uint32_t ErrorRelease(void* self) {
    ErrorObject* error = static_cast<ErrorObject*>(self);
    const std::uint32_t left = --error->references;
    if (left == 0) delete error;
    return left;
}
HResult ErrorGetGuid(void* self, Guid* guid) {
    if (!guid) return kPointer;
    *guid = static_cast<ErrorObject*>(self)->iid;
    return kOk;
}
HResult ErrorNoText(void*, Bstr* text) {
    if (!text) return kPointer;
    *text = nullptr;
    return kOk;
}
HResult ErrorGetDescription(void* self, Bstr* text) {
    if (!text) return kPointer;
    const std::u16string& description = static_cast<ErrorObject*>(self)->description;
    *text = HostedAllocString(description.data(), static_cast<std::uint32_t>(description.size()));
    return *text ? kOk : kOutOfMemory;
}
HResult ErrorGetHelpContext(void*, std::uint32_t* context) {
    if (!context) return kPointer;
    *context = 0;
    return kOk;
}

const AnySlot kErrorTable[kErrorInfoSlotCount] = {
    Any(&ErrorQueryInterface), Any(&ErrorAddRef),         Any(&ErrorRelease), Any(&ErrorGetGuid),
    Any(&ErrorNoText),         Any(&ErrorGetDescription), Any(&ErrorNoText),  Any(&ErrorGetHelpContext)};

thread_local ErrorObject* threadError = nullptr;

void ReplaceThreadError(ErrorObject* error) {
    if (threadError) ErrorRelease(threadError);
    threadError = error;
}

}  // namespace

std::u16string_view StringView(Bstr text) {
    return std::u16string_view(text, HostedStringLength(text));
}

void LeaveErrorInfo(const Guid& iid, const std::u16string* description) {
    ReplaceThreadError(description ? new ErrorObject{kErrorTable, {1}, iid, *description} : nullptr);
}

std::string OwnPath(const void* anchor) {
    Dl_info info{};
    if (!dladdr(anchor, &info) || !info.dli_fname) return std::string();
    return info.dli_fname;
}

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string* bytes) {
    struct stat status;
    // Only a regular file: a FIFO would wait for a writer.
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    if (static_cast<unsigned long long>(status.st_size) > limit) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    return ReadAndClose(file, limit, bytes);
}

void AppendLine(const std::string& path, const std::string& line) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

#endif

}  // namespace vnt_engine

#ifndef _WIN32
// The hosted machine's GetErrorInfo (comp_mgr/engine_interface.h).
extern "C" __attribute__((visibility("default"))) comp_mgr::engine_abi::HResult GetErrorInfo(std::uint32_t,
                                                                                             void** errorInfo) {
    if (!errorInfo) return comp_mgr::engine_abi::kPointer;
    *errorInfo = vnt_engine::threadError;
    vnt_engine::threadError = nullptr;
    return *errorInfo ? comp_mgr::engine_abi::kOk : comp_mgr::engine_abi::kFalse;
}
#endif
