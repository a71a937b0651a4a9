// The COM port for tests: BSTRs laid out as on Windows (code page 1252, as
// on the hosted machine), every allocation counted and, when asked, made to
// fail; the thread's error object is whatever a fake server left here.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_COM_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_COM_H

#include <string>

#include "platform/com.h"

namespace comp_mgr {

class MemoryCom : public Com {
public:
    void Initialize() override { ++initializeCount; }
    engine_abi::Bstr AllocString(const std::string& text) override;
    void FreeString(engine_abi::Bstr text) override;
    std::string NarrowText(engine_abi::Bstr text) override;
    void* TakeErrorInfo(LibraryHandle server) override;

    int initializeCount = 0;
    int liveStrings = 0;               // allocated and not yet freed
    int allocationsUntilFailure = -1;  // the allocation after this many fails; -1 never
    void* errorInfo = nullptr;         // SetErrorInfo of a fake server
};

}  // namespace comp_mgr

#endif
