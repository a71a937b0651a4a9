// The COM port on Windows: ole32 and oleaut32, texts in the ANSI code page.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_COM_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_COM_H

#include <string>

#include "platform/com.h"

namespace comp_mgr {

class Win32Com : public Com {
public:
    void Initialize() override;
    engine_abi::Bstr AllocString(const std::string& text) override;
    void FreeString(engine_abi::Bstr text) override;
    std::string NarrowText(engine_abi::Bstr text) override;
    // The system keeps the thread's error object; `server` is not needed.
    void* TakeErrorInfo(LibraryHandle server) override;
};

}  // namespace comp_mgr

#endif
