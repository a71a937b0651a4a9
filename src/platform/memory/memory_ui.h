// The in-memory user-interface port for tests: message boxes are recorded.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace comp_mgr {

class MemoryUi : public Ui {
public:
    void MessageBox(const std::string& caption, const std::string& text) override {
        messages.emplace_back(caption, text);
    }
    std::vector<std::pair<std::string, std::string>> messages;

    // ---- update advisor ------------------------------------------------------
    // Answers given in turn; with none left the dialog answers "No", unticked.
    ReminderAnswer UpdateReminder() override {
        ++remindersShown;
        if (reminderAnswers.empty()) return ReminderAnswer{};
        ReminderAnswer answer = reminderAnswers.front();
        reminderAnswers.pop_front();
        return answer;
    }
    std::deque<ReminderAnswer> reminderAnswers;
    int remindersShown = 0;
};

}  // namespace comp_mgr

#endif
