// The user-interface port.
#ifndef COMP_MGR_PLATFORM_UI_H
#define COMP_MGR_PLATFORM_UI_H

#include <cstddef>
#include <string>
#include <vector>

namespace comp_mgr {

// What the New Components dialog shows and how it answers the user. The core
// holds the state (the items, their marks and the lists read afterwards);
// each adapter's view shows it and turns the user's input into these calls.
class NewComponentsChoice {
public:
    virtual ~NewComponentsChoice() = default;

    // The tree's items in display order (sorted by text).
    virtual std::size_t ItemCount() const = 0;
    // "<display name> - <display path>".
    virtual const std::string& ItemText(std::size_t item) const = 0;
    virtual const std::string& ItemSection(std::size_t item) const = 0;
    virtual bool IsChecked(std::size_t item) const = 0;

    // A click on the item's check box; answers the item's new mark.
    virtual bool ClickCheckBox(std::size_t item) = 0;
    // The two buttons: every item checked, or every item unchecked.
    virtual void SelectAll() = 0;
    virtual void DeselectAll() = 0;

    // The section names of the checked and of the unchecked list, as the
    // caller will read them.
    virtual const std::vector<std::string>& CheckedSections() const = 0;
    virtual const std::vector<std::string>& UncheckedSections() const = 0;
};

// How the user left the Update Advisor Reminder dialog.
struct ReminderAnswer {
    int result = 2;           // 1 "Yes"; 2 "No", the close box or Escape
    int disableReminder = 0;  // 1 when the check box was ticked as it closed
};

class Ui {
public:
    virtual ~Ui() = default;

    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& caption, const std::string& text) = 0;

    // The modal New Components dialog. It returns when the user closes it,
    // with OK or by cancelling; the choice is read the same way after both.
    virtual void ShowNewComponents(NewComponentsChoice& choice) = 0;
    // ---- update advisor ------------------------------------------------------
    // The modal Update Advisor Reminder dialog (template 2000): "Yes", "No"
    // and the "Disable timed reminder" check box.
    virtual ReminderAnswer UpdateReminder() = 0;
};

}  // namespace comp_mgr

#endif
