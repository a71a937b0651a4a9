#include "platform/hosted/hosted_ui.h"

#include "platform/hosted/host_file_io.h"
#include "support/log_text.h"

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
