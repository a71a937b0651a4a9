// The real New Components Detected dialog (resource 2001 of the module that
// holds the adapter), modal, with no parent window.
#ifndef COMP_MGR_PLATFORM_WIN32_NEW_COMPONENTS_VIEW_H
#define COMP_MGR_PLATFORM_WIN32_NEW_COMPONENTS_VIEW_H

#include "platform/ui.h"
#include "support/new_components_script.h"

namespace comp_mgr {

enum class DialogOutcome { kOk, kCancel, kNotShown };

// Shows the dialog until the user closes it. With `script`, a second thread
// plays its steps as a user would, by mouse and keyboard input at the
// controls, and closes the dialog with its answer.
DialogOutcome ShowNewComponentsDialog(NewComponentsChoice& choice, const NewComponentsScript* script);

}  // namespace comp_mgr

#endif
