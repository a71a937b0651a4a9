#include "platform/win32/win32_ui.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "platform/win32/new_components_view.h"
#include "platform/win32/win32_log_file.h"
#include "platform/win32/windows_api.h"

namespace comp_mgr {

Win32Ui::Win32Ui(const std::string& setting, std::string logDir) : logDir_(std::move(logDir)) {
    if (setting == "none") {
        mode_ = Mode::kNone;
    } else if (setting.compare(0, 7, "script:") == 0 && setting.size() > 7) {
        mode_ = Mode::kScript;
        script_ = std::make_unique<Win32UiScript>(setting.substr(7));
    }
}

void Win32Ui::MessageBox(const std::string& caption, const std::string& text) {
    AppendToLogFile(logDir_, "messages.log", MessageLogLine(caption, text));
    // A script answers dialogs only; its boxes are logged, as on the hosted machine.
    if (mode_ != Mode::kUser) return;
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void Win32Ui::ShowNewComponents(NewComponentsChoice& choice) {
    DialogOutcome outcome = DialogOutcome::kOk;
    std::string line;
    if (mode_ == Mode::kUser) {
        outcome = ShowNewComponentsDialog(choice, nullptr);
    } else if (script_ && script_->Next(&line)) {
        NewComponentsScript script = ParseNewComponentsScript(line);
        for (const NewComponentsStep& step : script.steps) {
            if (step.kind != NewComponentsStep::kCheck && step.kind != NewComponentsStep::kUncheck) continue;
            bool found = false;
            for (std::size_t i = 0; i < choice.ItemCount() && !found; ++i)
                found = choice.ItemSection(i) == step.section;
            if (!found) script.problems.push_back(step.section + " is not in the dialog");
        }
        for (const std::string& problem : script.problems)
            std::fprintf(stderr, "comp_mgr: UI script line \"%s\": %s\n", line.c_str(), problem.c_str());
        std::fflush(stderr);
        outcome = ShowNewComponentsDialog(choice, &script);
    }
    // A dialog that could not be made (no desktop) was never shown.
    if (outcome == DialogOutcome::kNotShown) return;
    std::vector<std::string> texts;
    texts.reserve(choice.ItemCount());
    for (std::size_t i = 0; i < choice.ItemCount(); ++i) texts.push_back(choice.ItemText(i));
    AppendToLogFile(logDir_, "ui.log",
                    NewComponentsLogLine(texts, choice.CheckedSections(), choice.UncheckedSections(),
                                         outcome == DialogOutcome::kOk));
}

}  // namespace comp_mgr
