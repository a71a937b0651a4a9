// The New Components dialog: the engine's filter, the tree's content, the
// check boxes and the two buttons, and the ask mode of DetectNewPlugIns.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link_fixture.h"
#include "services/detection/new_components_dialog.h"
#include "services/engine_bridge/com_error.h"
#include "support/fake_servers.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::LinkFixture;
using Names = std::vector<std::string>;

// An engine whose answers are scripted per display name; an unset answer is
// a failing method (ComError). Every question is logged.
struct EngineScript {
    struct Answers {
        std::optional<std::int16_t> settled = 0;
        std::optional<std::int16_t> rejected = 0;
    };
    std::map<std::string, Answers> byName;
    Names calls;
    int enginesMade = 0;

    CandidateEngineFactory Factory() {
        return [this]() -> std::unique_ptr<CandidateEngine> {
            ++enginesMade;
            return std::make_unique<Engine>(*this);
        };
    }

private:
    class Engine : public CandidateEngine {
    public:
        explicit Engine(EngineScript& script) : script_(script) {}
        std::int16_t IsPluginSettled(const std::string& host, const std::string& name) override {
            return Answer(&Answers::settled, "settled", host, name);
        }
        std::int16_t IsPluginRejected(const std::string& host, const std::string& name) override {
            return Answer(&Answers::rejected, "rejected", host, name);
        }

    private:
        std::int16_t Answer(std::optional<std::int16_t> Answers::*which, const char* question, const std::string& host,
                            const std::string& name) {
            script_.calls.push_back(std::string(question) + " " + host + " " + name);
            const std::optional<std::int16_t> answer = script_.byName[name].*which;
            if (!answer) throw ComError(static_cast<std::int32_t>(0x80004005), "engine broke");
            return *answer;
        }
        EngineScript& script_;
    };
};

class NewComponents : public LinkFixture {
protected:
    void Candidate(const std::string& section, const std::string& displayName, const std::string& location = "") {
        PlugIn(section, displayName, "alpha", "", 1.0, kStatusRecordWriter | kStatusFoundOrCurrent,
               location.empty() ? "C:\\Ide\\plugins\\" + section + ".dll" : location);
    }
    std::unique_ptr<NewComponentsDialog> Dialog() {
        auto dialog = std::make_unique<NewComponentsDialog>(machine.platform, engine.Factory());
        dialog->SetDatabase(*db);
        return dialog;
    }
    static Names List(const StringList& list) { return list.items(); }

    EngineScript engine;
};

TEST_F(NewComponents, TheEngineSettlesRejectsOrKeepsEachCandidate) {
    using A = EngineScript::Answers;
    const std::optional<std::int16_t> fails;
    struct Case {
        const char* what;
        A answers;
        bool kept;
        bool rejected;
        bool rejectedAsked;
    } cases[] = {
        {"no objection", A{0, 0}, true, false, true},
        {"settled", A{-1, 0}, false, false, false},
        {"rejected", A{0, -1}, false, true, true},
        {"settled wins over rejected", A{-1, -1}, false, false, false},
        {"odd answer to the first question", A{1, -1}, true, false, false},
        {"odd answer to the second", A{0, 5}, true, false, true},
        {"the first question fails", A{fails, -1}, true, false, false},
        {"the second question fails", A{0, fails}, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine = EngineScript();
        Candidate("PlugIn_1", "Alpha");
        Candidate("PlugIn_2", "Beta");
        Candidate("PlugIn_3", "Gamma");
        engine.byName["Beta"] = c.answers;
        auto dialog = Dialog();
        const bool left = dialog->SetPendingList(StringList{"PlugIn_1", "PlugIn_2", "PlugIn_3"});
        EXPECT_TRUE(left);
        EXPECT_EQ(List(dialog->pending()),
                  (c.kept ? Names{"PlugIn_1", "PlugIn_2", "PlugIn_3"} : Names{"PlugIn_1", "PlugIn_3"}));
        StringList rejected;
        EXPECT_EQ(dialog->GetRejectedList(rejected), c.rejected ? 1u : 0u);
        EXPECT_EQ(List(rejected), c.rejected ? Names{"PlugIn_2"} : Names{});
        const std::string host = "C:\\VANTREL\\BIN\\VN_APP.EXE";
        Names expected = {"settled " + host + " Alpha", "rejected " + host + " Alpha", "settled " + host + " Beta"};
        if (c.rejectedAsked) expected.push_back("rejected " + host + " Beta");
        expected.insert(expected.end(), {"settled " + host + " Gamma", "rejected " + host + " Gamma"});
        EXPECT_EQ(engine.calls, expected);
        EXPECT_EQ(engine.enginesMade, 3);  // one engine per candidate
    }
}

TEST_F(NewComponents, CandidatesTheEngineCannotBeAskedAboutStay) {
    Candidate("PlugIn_1", "Alpha");
    engine.byName["Alpha"] = {-1, 0};
    {
        // The catalog does not know the candidate: kept, the engine not asked.
        auto dialog = Dialog();
        EXPECT_TRUE(dialog->SetPendingList(StringList{"PlugIn_9", "PlugIn_1"}));
        EXPECT_EQ(List(dialog->pending()), Names{"PlugIn_9"});
    }
    {
        // No main executable path: nothing to ask with.
        machine.process.modulePath.clear();
        auto dialog = Dialog();
        EXPECT_TRUE(dialog->SetPendingList(StringList{"PlugIn_1"}));
        EXPECT_EQ(List(dialog->pending()), Names{"PlugIn_1"});
    }
    EXPECT_EQ(engine.calls, Names{"settled C:\\VANTREL\\BIN\\VN_APP.EXE Alpha"});
    {
        // The host path is read into 512 characters and upper-cased.
        engine.calls.clear();
        machine.process.modulePath = "c:\\" + std::string(600, 'd') + "\\vn_app.exe";
        auto dialog = Dialog();
        dialog->SetPendingList(StringList{"PlugIn_1"});
        ASSERT_EQ(engine.calls.size(), 1u);
        EXPECT_EQ(engine.calls[0], "settled C:\\" + std::string(508, 'D') + " Alpha");
    }
}

TEST_F(NewComponents, EveryCandidateDroppedLeavesNothingToAsk) {
    Candidate("PlugIn_1", "Alpha");
    Candidate("PlugIn_2", "Beta");
    engine.byName["Alpha"] = {-1, 0};
    engine.byName["Beta"] = {0, -1};
    auto dialog = Dialog();
    EXPECT_FALSE(dialog->SetPendingList(StringList{"PlugIn_1", "PlugIn_2"}));
    EXPECT_FALSE(Dialog()->SetPendingList(StringList{}));
}

TEST_F(NewComponents, TheTreeShowsKnownCandidatesSortedByText) {
    Candidate("PlugIn_1", "zeta");
    Candidate("PlugIn_2", "Alpha", "C:\\Ide\\plugins\\a.dll");
    Candidate("PlugIn_3", "beta");
    Candidate("PlugIn_4", "Alpha", "C:\\Ide\\plugins\\a.dll");  // the same text: candidate order
    Candidate("PlugIn_5", "Caf\xE9 \xC6ther");                  // code page 1252, above 127
    auto dialog = Dialog();
    ASSERT_TRUE(
        dialog->SetPendingList(StringList{"PlugIn_1", "PlugIn_2", "PlugIn_9", "PlugIn_3", "PlugIn_4", "PlugIn_5"}));
    dialog->DoModal();
    ASSERT_EQ(machine.ui.newComponents.size(), 1u);
    const auto& shown = machine.ui.newComponents[0];
    EXPECT_EQ(shown.itemTexts,
              (Names{"Alpha - C:\\Ide\\plugins\\a.dll", "Alpha - C:\\Ide\\plugins\\a.dll",
                     "beta - C:\\Ide\\plugins\\PlugIn_3.dll", "Caf\xE9 \xC6ther - C:\\Ide\\plugins\\PlugIn_5.dll",
                     "zeta - C:\\Ide\\plugins\\PlugIn_1.dll"}));
    EXPECT_EQ(dialog->ItemSection(0), "PlugIn_2");
    EXPECT_EQ(dialog->ItemSection(1), "PlugIn_4");
    // Checked in candidate order; the unknown PlugIn_9 has no item and is in no list.
    StringList checked, unchecked;
    EXPECT_EQ(dialog->GetCheckedList(checked), 5u);
    EXPECT_EQ(List(checked), (Names{"PlugIn_1", "PlugIn_2", "PlugIn_3", "PlugIn_4", "PlugIn_5"}));
    EXPECT_EQ(dialog->GetUncheckedList(unchecked), 0u);
    EXPECT_EQ(std::vector<bool>(5, true), shown.marks);
}

// Steps: a digit clicks that item's box (display order), 'a' Select All, 'd' Deselect All.
TEST_F(NewComponents, ClicksAndButtonsKeepTheListsMatchingTheMarks) {
    struct Case {
        const char* steps;
        const char* marks;  // x checked, . unchecked, per item in display order
        Names checked;
        Names unchecked;
    } cases[] = {
        {"", "xxx", {"PlugIn_1", "PlugIn_2", "PlugIn_3"}, {}},
        {"1", "x.x", {"PlugIn_1", "PlugIn_3"}, {"PlugIn_2"}},
        {"11", "xxx", {"PlugIn_1", "PlugIn_3", "PlugIn_2"}, {}},
        {"1111", "xxx", {"PlugIn_1", "PlugIn_3", "PlugIn_2"}, {}},
        {"111", "x.x", {"PlugIn_1", "PlugIn_3"}, {"PlugIn_2"}},
        {"10", "..x", {"PlugIn_1"}, {"PlugIn_2", "PlugIn_3"}},
        {"d", "...", {}, {"PlugIn_3", "PlugIn_2", "PlugIn_1"}},
        {"1d", "...", {}, {"PlugIn_2", "PlugIn_3", "PlugIn_1"}},
        {"dd", "...", {}, {"PlugIn_3", "PlugIn_2", "PlugIn_1"}},
        {"da", "xxx", {"PlugIn_3", "PlugIn_2", "PlugIn_1"}, {}},
        {"d2", "..x", {"PlugIn_1"}, {"PlugIn_3", "PlugIn_2"}},
        {"01a", "xxx", {"PlugIn_1", "PlugIn_3", "PlugIn_2"}, {}},
        {"a", "xxx", {"PlugIn_1", "PlugIn_2", "PlugIn_3"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        // Display order: "a" (PlugIn_3), "b" (PlugIn_2), "c" (PlugIn_1).
        Candidate("PlugIn_1", "c");
        Candidate("PlugIn_2", "b");
        Candidate("PlugIn_3", "a");
        auto dialog = Dialog();
        ASSERT_TRUE(dialog->SetPendingList(StringList{"PlugIn_1", "PlugIn_2", "PlugIn_3"}));
        const std::string steps = c.steps;
        machine.ui.newComponentsAnswers.push_back([&steps](NewComponentsChoice& choice) {
            for (char step : steps) {
                if (step == 'a') {
                    choice.SelectAll();
                } else if (step == 'd') {
                    choice.DeselectAll();
                } else {
                    const std::size_t item = static_cast<std::size_t>(step - '0');
                    const bool mark = choice.ClickCheckBox(item);
                    EXPECT_EQ(mark, choice.IsChecked(item));
                }
            }
            return true;
        });
        dialog->DoModal();
        std::string marks;
        for (std::size_t i = 0; i < dialog->ItemCount(); ++i) marks += dialog->IsChecked(i) ? 'x' : '.';
        EXPECT_EQ(marks, c.marks);
        StringList checked, unchecked;
        dialog->GetCheckedList(checked);
        dialog->GetUncheckedList(unchecked);
        EXPECT_EQ(List(checked), c.checked);
        EXPECT_EQ(List(unchecked), c.unchecked);
    }
}

// ---- DetectNewPlugIns, ask mode ---------------------------------------------

class AskMode : public NewComponents {
protected:
    void SetUp() override {
        Installation("VntInstallation_1", "*");
        for (const auto& [section, name] : std::vector<std::pair<std::string, std::string>>{
                 {"PlugIn_1", "One"}, {"PlugIn_2", "Two"}, {"PlugIn_3", "Three"}, {"PlugIn_4", "Four"}}) {
            Candidate(section, name);
            servers.Add("C:\\Ide\\plugins\\" + section + ".dll");
            db->AddNewPlugIn(section);
        }
        db->services.detection.SetCandidateEngines(engine.Factory());
    }
    Names Unregistered() const {
        Names out;
        for (const std::string& call : servers.calls) out.push_back(call.substr(0, call.find(" cwd=")));
        return out;
    }
    FakeServers servers{machine};
};

TEST_F(AskMode, CheckedAreLinkedUncheckedAndRejectedUnregistered) {
    engine.byName["Four"] = {0, -1};
    machine.ui.newComponentsAnswers.push_back([](NewComponentsChoice& choice) {
        // Display order: One, Three, Two.
        choice.ClickCheckBox(1);
        return false;  // Escape: the lists count as they are
    });
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk), 0);
    EXPECT_TRUE(db->newPlugInNames().empty());
    ASSERT_EQ(machine.ui.newComponents.size(), 1u);
    EXPECT_FALSE(machine.ui.newComponents[0].ok);
    EXPECT_EQ(machine.ui.newComponents[0].itemTexts.size(), 3u);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
    EXPECT_EQ(Unregistered(),
              (Names{"unregister C:\\Ide\\plugins\\PlugIn_3.dll", "unregister C:\\Ide\\plugins\\PlugIn_4.dll"}));
}

TEST_F(AskMode, NoOneThereLinksEverything) {
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk), 0);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2", "PlugIn_3", "PlugIn_4"}));
    EXPECT_TRUE(servers.calls.empty());
}

TEST_F(AskMode, DeselectAllUnregistersEveryServer) {
    machine.ui.newComponentsAnswers.push_back([](NewComponentsChoice& choice) {
        choice.DeselectAll();
        return true;
    });
    db->services.detection.DetectNewPlugIns(DetectionMode::kAsk);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    EXPECT_EQ(Unregistered().size(), 4u);
}

TEST_F(AskMode, AllDroppedShowsNoDialogButUnregistersTheRejected) {
    engine.byName["One"] = {-1, 0};
    engine.byName["Two"] = {0, -1};
    engine.byName["Three"] = {-1, 0};
    engine.byName["Four"] = {0, -1};
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk), 0);
    EXPECT_TRUE(machine.ui.newComponents.empty());
    EXPECT_TRUE(db->newPlugInNames().empty());
    EXPECT_TRUE(Links("VntInstallation_1").empty());  // settled ones are neither linked nor unregistered
    EXPECT_EQ(Unregistered(),
              (Names{"unregister C:\\Ide\\plugins\\PlugIn_2.dll", "unregister C:\\Ide\\plugins\\PlugIn_4.dll"}));
}

TEST_F(AskMode, AFailingEngineKeepsTheCandidateAndTheCatalogWhole) {
    engine.byName["Two"] = {std::nullopt, 0};
    engine.byName["Three"] = {0, std::nullopt};
    const std::size_t entries = db->entries().size();
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk), 0);
    ASSERT_EQ(machine.ui.newComponents.size(), 1u);
    EXPECT_EQ(machine.ui.newComponents[0].itemTexts.size(), 4u);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2", "PlugIn_3", "PlugIn_4"}));
    EXPECT_EQ(db->entries().size(), entries);
}

TEST_F(AskMode, FiveThousandCandidates) {
    const std::size_t n = 5000;
    StringList names;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string section = "PlugIn_" + std::to_string(100 + i);
        Candidate(section, "Plug " + std::to_string(n - i));
        names.push_back(section);
    }
    auto dialog = Dialog();
    ASSERT_TRUE(dialog->SetPendingList(names));
    machine.ui.newComponentsAnswers.push_back([](NewComponentsChoice& choice) {
        for (std::size_t i = 0; i < choice.ItemCount(); i += 2) choice.ClickCheckBox(i);
        return true;
    });
    dialog->DoModal();
    ASSERT_EQ(dialog->ItemCount(), n);
    for (std::size_t i = 1; i < n; ++i) ASSERT_LE(CompareNoCase(dialog->ItemText(i - 1), dialog->ItemText(i)), 0);
    StringList checked, unchecked;
    EXPECT_EQ(dialog->GetCheckedList(checked) + dialog->GetUncheckedList(unchecked), n);
    EXPECT_EQ(unchecked.size(), n / 2);
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(dialog->IsChecked(i), checked.contains(dialog->ItemSection(i)));
}

}  // namespace
}  // namespace comp_mgr
