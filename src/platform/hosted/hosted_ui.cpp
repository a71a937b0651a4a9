#include "platform/hosted/hosted_ui.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/hosted/host_file_io.h"
#include "support/code_page_1252.h"
#include "support/log_text.h"
#include "support/new_components_script.h"

namespace comp_mgr {

HostedUi::HostedUi(const HostedMachine& machine, const std::string& setting, std::FILE* in, std::FILE* out)
    : machine_(machine), in_(in), out_(out) {
    if (setting == "tty") {
        mode_ = Mode::kTty;
    } else if (setting.compare(0, 7, "script:") == 0 && setting.size() > 7) {
        mode_ = Mode::kScript;
        scriptPath_ = setting.substr(7);
    } else if (setting != "none") {
        settingValid_ = false;
    }
}

void HostedUi::MessageBox(const std::string& caption, const std::string& text) {
    AppendToLog("messages.log", MessageLogLine(caption, text));
    if (mode_ != Mode::kTty || !out_) return;
    std::fprintf(out_, "\n[%s]\n%s\n(press Enter) ", caption.c_str(), text.c_str());
    std::fflush(out_);
    if (!in_) return;
    int c;
    do {
        c = std::fgetc(in_);
    } while (c != '\n' && c != EOF);
}

void HostedUi::ShowNewComponents(NewComponentsChoice& choice) {
    bool ok = true;
    std::string line;
    if (mode_ == Mode::kTty) {
        ok = AskNewComponentsOnTerminal(choice);
    } else if (NextScriptLine(&line)) {
        ok = RunNewComponentsScript(choice, line);
    }
    std::vector<std::string> texts;
    texts.reserve(choice.ItemCount());
    for (std::size_t i = 0; i < choice.ItemCount(); ++i) texts.push_back(choice.ItemText(i));
    AppendToLog("ui.log", NewComponentsLogLine(texts, choice.CheckedSections(), choice.UncheckedSections(), ok));
}

namespace {

// Clicks the box of every item of `section` whose mark is not `checked`;
// false when no item has that section.
bool MarkSection(NewComponentsChoice& choice, const std::string& section, bool checked) {
    bool found = false;
    for (std::size_t i = 0; i < choice.ItemCount(); ++i) {
        if (choice.ItemSection(i) != section) continue;
        found = true;
        if (choice.IsChecked(i) != checked) choice.ClickCheckBox(i);
    }
    return found;
}

}  // namespace

bool HostedUi::RunNewComponentsScript(NewComponentsChoice& choice, const std::string& line) {
    NewComponentsScript script = ParseNewComponentsScript(line);
    for (const NewComponentsStep& step : script.steps) {
        if (step.kind == NewComponentsStep::kSelectAll) {
            choice.SelectAll();
        } else if (step.kind == NewComponentsStep::kDeselectAll) {
            choice.DeselectAll();
        } else if (!MarkSection(choice, step.section, step.kind == NewComponentsStep::kCheck)) {
            script.problems.push_back(step.section + " is not in the dialog");
        }
    }
    if (out_)
        for (const std::string& problem : script.problems)
            std::fprintf(out_, "comp_mgr: UI script line \"%s\": %s\n", line.c_str(), problem.c_str());
    return script.ok;
}

bool HostedUi::AskNewComponentsOnTerminal(NewComponentsChoice& choice) {
    if (!out_ || !in_) return true;
    for (;;) {
        std::fprintf(out_, "\n[New Components Detected]\nSelect which plug-ins to enable for VNT.\n");
        for (std::size_t i = 0; i < choice.ItemCount(); ++i)
            std::fprintf(out_, "%4zu [%c] %s\n", i + 1, choice.IsChecked(i) ? 'x' : ' ',
                         Cp1252ToUtf8(choice.ItemText(i)).c_str());
        std::fprintf(out_, "numbers: toggle, a: Select All, d: Deselect All, o or Enter: OK, c: cancel > ");
        std::fflush(out_);
        std::string line;
        int c;
        while ((c = std::fgetc(in_)) != EOF && c != '\n') line += static_cast<char>(c);
        if (c == EOF && line.empty()) return false;  // the terminal went away: as Escape
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word == "o" || word == "ok") return true;
        if (word == "c" || word == "cancel") return false;
        if (word == "a") {
            choice.SelectAll();
            continue;
        }
        if (word == "d") {
            choice.DeselectAll();
            continue;
        }
        do {
            char* end = nullptr;
            const unsigned long number = std::strtoul(word.c_str(), &end, 10);
            if (end && *end == '\0' && number >= 1 && number <= choice.ItemCount()) {
                choice.ClickCheckBox(number - 1);
            } else {
                std::fprintf(out_, "no item %s\n", word.c_str());
            }
        } while (words >> word);
    }
}

void HostedUi::LoadScript() {
    scriptLoaded_ = true;
    std::string content;
    if (!host_io::ReadFile(scriptPath_, &content)) {
        if (out_) std::fprintf(out_, "comp_mgr: cannot read UI script %s; answering as no one\n", scriptPath_.c_str());
        return;
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        script_.push_back(std::move(line));
        start = end + 1;
    }
}

bool HostedUi::NextScriptLine(std::string* line) {
    if (mode_ != Mode::kScript) return false;
    if (!scriptLoaded_) LoadScript();
    if (script_.empty()) return false;
    if (line) *line = script_.front();
    script_.pop_front();
    return true;
}

void HostedUi::LogDialog(const std::string& line) {
    AppendToLog("ui.log", line);
}

void HostedUi::AppendToLog(const std::string& name, const std::string& line) {
    const std::string path = machine_.LogPath(name);
    if (host_io::AppendLine(path, line) != host_io::AppendResult::kRefused || refusedLogs_.count(name)) return;
    refusedLogs_.insert(name);
    if (out_) {
        std::fprintf(out_, "comp_mgr: %s is a symbolic link or no regular file; it is not written\n", path.c_str());
    }
}

}  // namespace comp_mgr
