// The hosted machine's one-answer child process: the version-printing
// stand-in (fixtures/fixture_vers.cpp) run as a POSIX process from the
// machine's drive.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_process.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

class HostedChildProcess : public ::testing::Test {
protected:
    void SetUp() override {
        root.MakeDir("drive_c/Tools");
        root.MakeDir("drive_c/Work");
        std::filesystem::copy_file(VNT_FIXTURE_VERS, root.Host("drive_c/Tools/vers.exe"));
    }
    bool Run(const std::string& line, std::string* output, std::uint32_t waitMs = 300) {
        HostedMachine machine(root.path(), "C:\\Work\\vn_app.exe", "C:\\Work");
        HostedProcess process(machine);
        return process.RunForOutput(line, 260, waitMs, output);
    }

    TestRoot root;
};

TEST_F(HostedChildProcess, OneReadOfTheAnswerThenTheChildIsKilled) {
    struct Case {
        const char* versTxt;
        std::string expected;
    };
    const Case cases[] = {
        {"print\n***cuda Lumakern 5.2***\r\n", "***cuda Lumakern 5.2***\r\n"},
        {"print\n", ""},  // ends without output
        {"sleep\n", ""},  // never writes: the read gives up
        {"flood\n",
         [] {
             std::string s;
             while (s.size() < 260) s += "cuda*";
             return s.substr(0, 260);
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.versTxt);
        root.Write("drive_c/Tools/vers.txt", c.versTxt);
        std::string output = "before";
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Run("C:\\tools\\VERS.EXE C:\\Work\\luma.a64", &output));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(c.expected, output);
    }
    // The printing child was killed before it could leave its mark.
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    EXPECT_FALSE(root.Has("drive_c/Tools/vers.survived"));
    EXPECT_FALSE(root.Has("drive_c/Work/vers.survived"));
}

TEST_F(HostedChildProcess, WhatIsNoProgramDoesNotStart) {
    root.Write("drive_c/Tools/text.exe", "MZ not really a program\n");
    chmod(root.Host("drive_c/Tools/text.exe").c_str(), 0755);
    root.Write("drive_c/Tools/plain.exe", "#!/bin/sh\necho cuda\n");
    chmod(root.Host("drive_c/Tools/plain.exe").c_str(), 0644);
    for (const char* line : {"C:\\Tools\\text.exe x", "C:\\Tools\\plain.exe x", "C:\\Tools\\missing.exe x",
                             "C:\\Tools x", "Z:\\vers.exe x", "", "\"\""}) {
        SCOPED_TRACE(line);
        std::string output = "before";
        EXPECT_FALSE(Run(line, &output));
        EXPECT_EQ("", output);
    }
}

}  // namespace
}  // namespace comp_mgr
