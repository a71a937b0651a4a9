// The hosted machine's side of the update advisor: the reminder answered by
// the terminal, a script or no one, the open requests and their log, and
// local time conversion under TZ.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <string>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_clock.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_shell.h"
#include "platform/hosted/hosted_ui.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

TEST(HostedReminder, ScriptLinesAnswerInOrderAndOthersAnswerNo) {
    TestRoot root;
    root.Write("answers.txt",
               "reminder yes\nreminder disable no\nreminder   disable   yes\r\nnewcomponents ok\n"
               "reminder maybe\nreminder no extra\n");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    char* told = nullptr;
    size_t toldSize = 0;
    FILE* out = open_memstream(&told, &toldSize);
    HostedUi ui(machine, "script:" + root.Host("answers.txt"), nullptr, out);
    const struct {
        int result, disable;
    } wanted[] = {{1, 0}, {2, 1}, {1, 1}, {2, 0}, {2, 0}, {2, 0}, {2, 0}};  // the last: no line left
    for (const auto& w : wanted) {
        const ReminderAnswer a = ui.UpdateReminder();
        EXPECT_EQ(a.result, w.result);
        EXPECT_EQ(a.disableReminder, w.disable);
    }
    fclose(out);
    EXPECT_NE(std::string(told, toldSize).find("\"reminder maybe\" is no reminder answer"), std::string::npos);
    free(told);
    EXPECT_EQ(root.Read("log/ui.log"),
              "reminder|disable=0|yes\nreminder|disable=1|no\nreminder|disable=1|yes\nreminder|disable=0|no\n"
              "reminder|disable=0|no\nreminder|disable=0|no\nreminder|disable=0|no\n");
}

TEST(HostedReminder, TerminalAsksForTheBoxThenTheAnswer) {
    const struct {
        const char* typed;
        int result, disable;
    } cases[] = {{"y\nyes\n", 1, 1}, {"\nY\n", 1, 0}, {"yes\nno\n", 2, 1}, {"n\n", 2, 0}, {"", 2, 0}};
    for (const auto& c : cases) {
        TestRoot root;
        HostedMachine machine(root.path(), "C:\\x.exe", "");
        char typed[16];
        std::strcpy(typed, c.typed);
        FILE* in = std::strlen(typed) ? fmemopen(typed, std::strlen(typed), "r") : fopen("/dev/null", "r");
        char* shown = nullptr;
        size_t shownSize = 0;
        FILE* out = open_memstream(&shown, &shownSize);
        {
            HostedUi ui(machine, "tty", in, out);
            const ReminderAnswer a = ui.UpdateReminder();
            EXPECT_EQ(a.result, c.result) << c.typed;
            EXPECT_EQ(a.disableReminder, c.disable) << c.typed;
        }
        fclose(out);
        EXPECT_NE(std::string(shown, shownSize).find("Would you like to connect to the internet now?"),
                  std::string::npos);
        free(shown);
        fclose(in);
    }
}

TEST(HostedReminder, NoOneAnswersNoUnticked) {
    TestRoot root;
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedUi ui(machine, "none");
    const ReminderAnswer a = ui.UpdateReminder();
    EXPECT_EQ(a.result, 2);
    EXPECT_EQ(a.disableReminder, 0);
    EXPECT_EQ(root.Read("log/ui.log"), "reminder|disable=0|no\n");
}

TEST(HostedShell, OpenRequestsAreLoggedAndRunTheOpenCommand) {
    TestRoot root;
    root.Write("drive_c/Temp/page.html", "<html></html>");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedShell logged(machine, "");
    EXPECT_TRUE(logged.Open("open", "https://a.test/x?y=1&z=\\2"));
    HostedShell succeeding(machine, "true");
    EXPECT_TRUE(succeeding.Open("open", "C:\\Temp\\page.html"));
    HostedShell failing(machine, "false");
    EXPECT_FALSE(failing.Open("open", "http://b.test/"));
    HostedShell missing(machine, "no-such-program-of-comp-mgr");
    EXPECT_FALSE(missing.Open("open", "http://c.test/"));
    EXPECT_EQ(root.Read("log/open.log"),
              "open|https://a.test/x?y=1&z=\\\\2|ok\n"
              "open|C:\\\\Temp\\\\page.html|ok\n"
              "open|http://b.test/|failed\n"
              "open|http://c.test/|failed\n");

    // A Windows path reaches the command as its file under the root.
    const std::string seen = root.Host("seen.txt");
    root.Write("record.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen + "'\n");
    ASSERT_EQ(chmod(root.Host("record.sh").c_str(), 0755), 0);
    HostedShell recording(machine, root.Host("record.sh"));
    EXPECT_TRUE(recording.Open("open", "c:/temp/PAGE.html"));
    EXPECT_EQ(root.Read("seen.txt"), root.Host("drive_c/Temp/page.html"));
    EXPECT_TRUE(recording.Open("open", "https://d.test/"));
    EXPECT_EQ(root.Read("seen.txt"), "https://d.test/");
}

TEST(HostedClock, LocalTimeFollowsTheTimeZoneAndNormalises) {
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "UTC", 1);
    tzset();
    HostedClock clock("");
    std::tm t = {};
    t.tm_year = 2005 - 1900;
    t.tm_mon = 12;  // month 13
    t.tm_mday = 32;
    EXPECT_EQ(clock.MakeLocalTime(t), 1138752000);  // 2006-02-01 00:00:00 UTC
    setenv("TZ", "EST5EDT", 1);
    tzset();
    EXPECT_EQ(clock.MakeLocalTime(t), 1138752000 + 5 * 3600);
    t.tm_mon = 6;
    t.tm_mday = 1;  // daylight saving in July, decided by the zone
    EXPECT_EQ(clock.MakeLocalTime(t), 1120176000 + 4 * 3600);
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
}  // namespace comp_mgr
