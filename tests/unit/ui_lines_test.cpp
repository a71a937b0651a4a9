// The texts both adapters share for the New Components dialog: the ui.log
// line and the reading of a UI script's line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log_text.h"
#include "support/new_components_script.h"

namespace comp_mgr {
namespace {

TEST(UiLogLine, EscapesTextsAndJoinsLists) {
    EXPECT_EQ(NewComponentsLogLine({}, {}, {}, true), "newcomponents||checked=|unchecked=|ok");
    EXPECT_EQ(NewComponentsLogLine({"A - C:\\x.dll", "Two\r\nlines - D:\\y\\z.ocx"}, {"PlugIn_2"},
                                   {"PlugIn_1", "PlugIn_7"}, false),
              "newcomponents|A - C:\\\\x.dll;Two\\r\\nlines - D:\\\\y\\\\z.ocx|checked=PlugIn_2|unchecked=PlugIn_1,"
              "PlugIn_7|cancel");
    // Code page 1252 bytes pass unchanged.
    EXPECT_EQ(NewComponentsLogLine({"Caf\xE9"}, {"PlugIn_1"}, {}, true),
              "newcomponents|Caf\xE9|checked=PlugIn_1|unchecked=|ok");
}

// Steps as text: c:S check, u:S uncheck, a Select All, d Deselect All.
std::string Steps(const NewComponentsScript& script) {
    std::string out;
    for (const NewComponentsStep& step : script.steps) {
        if (!out.empty()) out += ' ';
        switch (step.kind) {
            case NewComponentsStep::kCheck:
                out += "c:" + step.section;
                break;
            case NewComponentsStep::kUncheck:
                out += "u:" + step.section;
                break;
            case NewComponentsStep::kSelectAll:
                out += 'a';
                break;
            case NewComponentsStep::kDeselectAll:
                out += 'd';
                break;
        }
    }
    return out;
}

TEST(UiScriptLine, ReadsStepsAndTheAnswer) {
    struct Case {
        const char* line;
        const char* steps;
        bool ok;
        std::size_t problems;
    } cases[] = {
        {"newcomponents ok", "", true, 0},
        {"newcomponents cancel", "", false, 0},
        {"newcomponents deselectall check=PlugIn_2 ok", "d c:PlugIn_2", true, 0},
        {"newcomponents uncheck=PlugIn_3,PlugIn_7 selectall cancel", "u:PlugIn_3 u:PlugIn_7 a", false, 0},
        {"  newcomponents\tuncheck=,PlugIn_1,, ok  ", "u:PlugIn_1", true, 0},
        {"newcomponents check= ok", "", true, 0},
        {"newcomponents selectall", "a", true, 1},               // no answer: ok
        {"newcomponents ok deselectall", "", true, 1},           // nothing after the answer
        {"newcomponents flip=PlugIn_1 Cancel ok", "", true, 2},  // unknown words
        {"reminder yes", "", true, 1},
        {"", "", true, 1},
        {"NEWCOMPONENTS ok", "", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const NewComponentsScript script = ParseNewComponentsScript(c.line);
        EXPECT_EQ(Steps(script), c.steps);
        EXPECT_EQ(script.ok, c.ok);
        EXPECT_EQ(script.problems.size(), c.problems);
    }
}

}  // namespace
}  // namespace comp_mgr
