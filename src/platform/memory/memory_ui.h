// The in-memory user-interface port for tests: message boxes are recorded;
// each New Components dialog is answered by the next scripted answer (none
// left: OK with everything as it is) and recorded as it closed.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace comp_mgr {

class MemoryUi : public Ui {
public:
    // Acts on the dialog like the user; answers true for OK, false for cancel.
    using NewComponentsAnswer = std::function<bool(NewComponentsChoice&)>;

    struct ShownNewComponents {
        std::vector<std::string> itemTexts;  // in display order
        std::vector<bool> marks;             // when it closed
        std::vector<std::string> checked;
        std::vector<std::string> unchecked;
        bool ok;
    };

    void MessageBox(const std::string& caption, const std::string& text) override {
        messages.emplace_back(caption, text);
    }

    void ShowNewComponents(NewComponentsChoice& choice) override {
        bool ok = true;
        if (!newComponentsAnswers.empty()) {
            NewComponentsAnswer answer = std::move(newComponentsAnswers.front());
            newComponentsAnswers.pop_front();
            ok = answer(choice);
        }
        ShownNewComponents shown{{}, {}, choice.CheckedSections(), choice.UncheckedSections(), ok};
        for (std::size_t i = 0; i < choice.ItemCount(); ++i) {
            shown.itemTexts.push_back(choice.ItemText(i));
            shown.marks.push_back(choice.IsChecked(i));
        }
        newComponents.push_back(std::move(shown));
    }

    std::vector<std::pair<std::string, std::string>> messages;
    std::deque<NewComponentsAnswer> newComponentsAnswers;
    std::vector<ShownNewComponents> newComponents;

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
