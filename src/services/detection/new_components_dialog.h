// The New Components dialog: the new plug-ins put to the user, each with a
// check box, all checked at first, after the component engine has had its
// say about them. This is the dialog's state and behaviour; the Ui port's
// view shows it (a real modal dialog on Windows, the terminal, a script or
// no one on the hosted machine).
//
// Lists, of section names:
// - pending: the candidates in the caller's order, less those the engine
//   settled or rejected;
// - rejected: the candidates the engine rejected;
// - checked and unchecked: which items the user left on and turned off. A
//   click on an item's box moves its name from one to the other. Select All
//   and Deselect All act as a click on every item whose mark they change, in
//   the tree's order, so both lists always match the marks: after Deselect
//   All every item is in the unchecked list, after Select All in the checked
//   one.
#ifndef COMP_MGR_SERVICES_DETECTION_NEW_COMPONENTS_DIALOG_H
#define COMP_MGR_SERVICES_DETECTION_NEW_COMPONENTS_DIALOG_H

#include <cstddef>
#include <string>
#include <vector>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/detection/candidate_engine.h"

namespace comp_mgr {

class NewComponentsDialog : public NewComponentsChoice {
public:
    // The check box images of the tree's state image list.
    enum StateImage : int { kStateBlank = 0, kStateUnchecked = 1, kStateChecked = 2 };

    // `engines` makes the engine asked about each candidate; empty: the real
    // component engine.
    explicit NewComponentsDialog(const Platform& platform, CandidateEngineFactory engines = {});

    void SetDatabase(ComponentDatabase& database) { db_ = &database; }
    // Takes the candidates and puts them to the engine; true when any is left
    // to ask the user about.
    bool SetPendingList(const StringList& names);
    // Fills the tree and shows the dialog until the user closes it.
    void DoModal();

    // Each empties `out`, copies the list into it and answers its size.
    std::size_t GetUncheckedList(StringList& out) const { return CopyList(unchecked_, out); }
    std::size_t GetCheckedList(StringList& out) const { return CopyList(checked_, out); }
    std::size_t GetRejectedList(StringList& out) const { return CopyList(rejected_, out); }
    const StringList& pending() const { return pending_; }

    // NewComponentsChoice
    std::size_t ItemCount() const override { return items_.size(); }
    const std::string& ItemText(std::size_t item) const override { return items_[item].text; }
    const std::string& ItemSection(std::size_t item) const override { return pending_[items_[item].pendingIndex]; }
    bool IsChecked(std::size_t item) const override { return items_[item].state == kStateChecked; }
    bool ClickCheckBox(std::size_t item) override;
    void SelectAll() override;
    void DeselectAll() override;
    const std::vector<std::string>& CheckedSections() const override { return checked_.items(); }
    const std::vector<std::string>& UncheckedSections() const override { return unchecked_.items(); }

private:
    struct Item {
        std::string text;
        std::size_t pendingIndex;
        int state;
    };

    static std::size_t CopyList(const StringList& list, StringList& out);
    // The engine's verdict on one candidate: true to keep it.
    bool KeepCandidate(const std::string& section, const std::string& hostPath);
    void FillTree();

    const Platform& platform_;
    CandidateEngineFactory engines_;
    ComponentDatabase* db_ = nullptr;
    StringList pending_;
    StringList checked_;
    StringList unchecked_;
    StringList rejected_;
    std::vector<Item> items_;
    bool filled_ = false;
};

}  // namespace comp_mgr

#endif
