// The frame around every export: the application object is made ready, no
// exception leaves the library, and system changes are made durable before
// the call returns.
#ifndef COMP_MGR_SHELL_EXPORT_GUARD_H
#define COMP_MGR_SHELL_EXPORT_GUARD_H

#include "app/component_manager_app.h"
#include "shell/library.h"

namespace comp_mgr {

template <class Work>
int Guarded(int failure, Work&& work) {
    try {
        ComponentManagerApp* app = library::App();
        if (!app) return failure;
        int result = work(*app);
        library::AfterCall();
        return result;
    } catch (...) {
        return failure;
    }
}

}  // namespace comp_mgr

#endif
