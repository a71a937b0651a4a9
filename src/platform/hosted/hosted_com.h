// The COM port on the hosted machine. There is no COM library to start: an
// engine is an ELF shared object with COM's layout, strings are BSTRs laid
// out as on Windows and converted by code page 1252 (Wine's ANSI code
// page), and an engine hands over its error object through its own
// GetErrorInfo export (comp_mgr/engine_interface.h).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_COM_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_COM_H

#include <string>

#include "platform/com.h"

namespace comp_mgr {

class HostedCom : public Com {
public:
    void Initialize() override {}
    engine_abi::Bstr AllocString(const std::string& text) override;
    void FreeString(engine_abi::Bstr text) override;
    std::string NarrowText(engine_abi::Bstr text) override;
    void* TakeErrorInfo(LibraryHandle server) override;
};

}  // namespace comp_mgr

#endif
