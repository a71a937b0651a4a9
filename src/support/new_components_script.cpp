#include "support/new_components_script.h"

#include <sstream>

namespace comp_mgr {

NewComponentsScript ParseNewComponentsScript(const std::string& line) {
    NewComponentsScript script;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word != "newcomponents") {
        script.problems.push_back("not a newcomponents line; answering as no one");
        return script;
    }
    bool answered = false;
    while (in >> word) {
        if (answered) {
            script.problems.push_back("nothing may follow ok or cancel: " + word + " ignored");
        } else if (word == "ok" || word == "cancel") {
            script.ok = word == "ok";
            answered = true;
        } else if (word == "selectall") {
            script.steps.push_back({NewComponentsStep::kSelectAll, {}});
        } else if (word == "deselectall") {
            script.steps.push_back({NewComponentsStep::kDeselectAll, {}});
        } else if (word.compare(0, 6, "check=") == 0 || word.compare(0, 8, "uncheck=") == 0) {
            const bool check = word[0] == 'c';
            const std::string names = word.substr(check ? 6 : 8);
            std::size_t start = 0;
            while (start <= names.size()) {
                std::size_t end = names.find(',', start);
                if (end == std::string::npos) end = names.size();
                if (end > start)
                    script.steps.push_back({check ? NewComponentsStep::kCheck : NewComponentsStep::kUncheck,
                                            names.substr(start, end - start)});
                start = end + 1;
            }
        } else {
            script.problems.push_back("unknown step " + word + " ignored");
        }
    }
    if (!answered) script.problems.push_back("no ok or cancel at the end; answering ok");
    return script;
}

}  // namespace comp_mgr
