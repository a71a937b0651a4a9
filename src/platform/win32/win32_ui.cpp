#include "platform/win32/win32_ui.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "platform/win32/new_components_view.h"
#include "platform/win32/windows_api.h"

namespace comp_mgr {
namespace {

void AppendLine(const std::string& folder, const char* name, const std::string& line) {
    CreateDirectoryA(folder.c_str(), nullptr);  // it may exist already
    std::string path = folder;
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // a log that cannot be written does not stop the dialog
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

bool ReadWholeFile(const std::string& path, std::string* content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr) != FALSE) && got > 0)
        content->append(buffer, got);
    CloseHandle(file);
    return ok;
}

}  // namespace

Win32Ui::Win32Ui(const std::string& setting, std::string logDir) : logDir_(std::move(logDir)) {
    if (setting == "none") {
        mode_ = Mode::kNone;
    } else if (setting.compare(0, 7, "script:") == 0 && setting.size() > 7) {
        mode_ = Mode::kScript;
        scriptPath_ = setting.substr(7);
    }
}

void Win32Ui::MessageBox(const std::string& caption, const std::string& text) {
    if (!logDir_.empty()) AppendLine(logDir_, "messages.log", MessageLogLine(caption, text) + "\n");
    if (mode_ != Mode::kUser) return;
#include "platform/win32/win32_log_file.h"
#include "platform/win32/windows_api.h"

    namespace comp_mgr {

    Win32Ui::Win32Ui(const std::string& setting, std::string logDir)
        : showBoxes_(setting != "none"), logDir_(std::move(logDir)) {
        if (setting.compare(0, 7, "script:") == 0 && setting.size() > 7)
            script_ = std::make_unique<Win32UiScript>(setting.substr(7));
    }

    void Win32Ui::MessageBox(const std::string& caption, const std::string& text) {
        AppendToLogFile(logDir_, "messages.log", MessageLogLine(caption, text));
        if (!showBoxes_) return;
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
    }

    bool Win32Ui::NextScriptLine(std::string* line) {
        if (!scriptLoaded_) {
            scriptLoaded_ = true;
            std::string content;
            if (!ReadWholeFile(scriptPath_, &content)) {
                std::fprintf(stderr, "comp_mgr: cannot read UI script %s; answering as no one\n", scriptPath_.c_str());
                std::fflush(stderr);
            }
            std::size_t start = 0;
            while (start < content.size()) {
                std::size_t end = content.find('\n', start);
                if (end == std::string::npos) end = content.size();
                std::string one = content.substr(start, end - start);
                if (!one.empty() && one.back() == '\r') one.pop_back();
                script_.push_back(std::move(one));
                start = end + 1;
            }
        }
        if (script_.empty()) return false;
        *line = std::move(script_.front());
        script_.pop_front();
        return true;
    }

    void Win32Ui::ShowNewComponents(NewComponentsChoice& choice) {
        DialogOutcome outcome = DialogOutcome::kOk;
        std::string line;
        if (mode_ == Mode::kUser) {
            outcome = ShowNewComponentsDialog(choice, nullptr);
        } else if (mode_ == Mode::kScript && NextScriptLine(&line)) {
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
        if (outcome == DialogOutcome::kNotShown || logDir_.empty()) return;
        std::vector<std::string> texts;
        texts.reserve(choice.ItemCount());
        for (std::size_t i = 0; i < choice.ItemCount(); ++i) texts.push_back(choice.ItemText(i));
        AppendLine(logDir_, "ui.log",
                   NewComponentsLogLine(texts, choice.CheckedSections(), choice.UncheckedSections(),
                                        outcome == DialogOutcome::kOk) +
                       "\n");
    }

    }  // namespace comp_mgr
