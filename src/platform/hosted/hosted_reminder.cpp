// The Update Advisor Reminder on the hosted machine.
#include <sstream>
#include <vector>

#include "platform/hosted/hosted_ui.h"

namespace comp_mgr {
namespace {

constexpr const char* kReminderText =
    "You are scheduled to check for updates for this product. Would you like to connect to the internet now?";

// "reminder [disable] yes|no"; false for any other line.
bool ParseReminderLine(const std::string& line, ReminderAnswer* answer) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 2 || w.size() > 3 || w[0] != "reminder") return false;
    if (w.size() == 3 && w[1] != "disable") return false;
    const std::string& button = w.back();
    if (button != "yes" && button != "no") return false;
    answer->disableReminder = w.size() == 3 ? 1 : 0;
    answer->result = button == "yes" ? 1 : 2;
    return true;
}

// Reads one line from `in`; false at its end.
bool ReadAnswerLine(std::FILE* in, std::string* line) {
    line->clear();
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
    return c != EOF || !line->empty();
}

bool IsYes(const std::string& text) {
    return !text.empty() && (text[0] == 'y' || text[0] == 'Y');
}

}  // namespace

ReminderAnswer HostedUi::AskReminderOnTerminal() {
    ReminderAnswer answer;
    if (!out_ || !in_) return answer;
    std::fprintf(out_, "\n[Update Advisor Reminder]\n%s\n", kReminderText);
    std::string line;
    std::fprintf(out_, "Disable timed reminder for update check? [y/N] ");
    std::fflush(out_);
    if (!ReadAnswerLine(in_, &line)) return answer;
    answer.disableReminder = IsYes(line) ? 1 : 0;
    std::fprintf(out_, "Connect to the internet now? [y/N] ");
    std::fflush(out_);
    if (!ReadAnswerLine(in_, &line)) return answer;  // the terminal closed: as Escape, the box as it stands
    answer.result = IsYes(line) ? 1 : 2;
    return answer;
}

ReminderAnswer HostedUi::UpdateReminder() {
    ReminderAnswer answer;
    std::string line;
    if (mode_ == Mode::kTty) {
        answer = AskReminderOnTerminal();
    } else if (NextScriptLine(&line) && !ParseReminderLine(line, &answer)) {
        answer = ReminderAnswer{};
        if (out_)
            std::fprintf(out_, "comp_mgr: UI script line \"%s\" is no reminder answer; answering No\n", line.c_str());
    }
    LogDialog(std::string("reminder|disable=") + (answer.disableReminder ? "1" : "0") + "|" +
              (answer.result == 1 ? "yes" : "no"));
    return answer;
}

}  // namespace comp_mgr
