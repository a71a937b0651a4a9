// The COM port: what the system's COM and automation libraries give a client
// of an in-process server. The calls into the server's own objects need no
// system: the core makes them through the layout of comp_mgr/engine_interface.h.
#ifndef COMP_MGR_PLATFORM_COM_H
#define COMP_MGR_PLATFORM_COM_H

#include <string>

#include "comp_mgr/engine_interface.h"
#include "platform/loader.h"

namespace comp_mgr {

class Com {
public:
    virtual ~Com() = default;

    // CoInitialize for the calling thread; the result is not checked.
    virtual void Initialize() = 0;

    // A new BSTR of `text` converted from the ANSI code page (code page 1252
    // on the hosted machine); null when it cannot be allocated.
    virtual engine_abi::Bstr AllocString(const std::string& text) = 0;
    virtual void FreeString(engine_abi::Bstr text) = 0;
    // A BSTR in the ANSI code page; a character it lacks becomes '?'.
    virtual std::string NarrowText(engine_abi::Bstr text) = 0;

    // GetErrorInfo: the error object the last failing call of `server` left
    // for this thread, handed over with its reference; null when none.
    virtual void* TakeErrorInfo(LibraryHandle server) = 0;
};

}  // namespace comp_mgr

#endif
