// A UI script's answer to the New Components dialog, one line:
//   newcomponents STEP... ok|cancel
// with the steps uncheck=S1,S2 and check=S3 (click those items' check boxes
// where that changes their mark), selectall and deselectall (press the
// buttons). Every adapter reads the line the same way and plays the steps on
// its own view of the dialog.
#ifndef COMP_MGR_SUPPORT_NEW_COMPONENTS_SCRIPT_H
#define COMP_MGR_SUPPORT_NEW_COMPONENTS_SCRIPT_H

#include <string>
#include <vector>

namespace comp_mgr {

struct NewComponentsStep {
    enum Kind { kCheck, kUncheck, kSelectAll, kDeselectAll };
    Kind kind;
    std::string section;  // kCheck and kUncheck: one step per section name
};

struct NewComponentsScript {
    std::vector<NewComponentsStep> steps;
    bool ok = true;
    // What was not understood; the rest of the line still counts. A line that
    // is no newcomponents line has no steps and answers ok, as no one would.
    std::vector<std::string> problems;
};

NewComponentsScript ParseNewComponentsScript(const std::string& line);

}  // namespace comp_mgr

#endif
