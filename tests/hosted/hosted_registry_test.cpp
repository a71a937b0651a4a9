// The hosted registry: ROOT/registry.reg read on first touch, written back only
// when something changed, never replaced when it could not be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_registry.h"
#include "platform/hosted/reg_file.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

struct Reports {
    std::vector<std::string> messages;
    HostedRegistry::Report sink() {
        return [this](const std::string& m) { messages.push_back(m); };
    }
};

long SetString(Registry& reg, RegHandle key, const char* name, const std::string& value) {
    return reg.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                        static_cast<std::uint32_t>(value.size() + 1));
}

TEST(HostedRegistry, ReadsLazilyAndWritesOnlyWhenChanged) {
    TestRoot root;
    const std::string text =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
        "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n";
    root.Write("registry.reg", text);
    Reports reports;
    HostedRegistry reg(root.Host("registry.reg"), reports.sink());
    EXPECT_FALSE(reg.loaded());

    // The file is read when first touched, not before.
    root.Write("registry.reg", text + "[HKEY_CURRENT_USER\\Late]\r\n\r\n");
    ScopedKey key(reg);
    ASSERT_EQ(kErrorSuccess,
              reg.OpenKey(kHkeyLocalMachine, "Software\\Kovra\\Vantrel\\ComponentManager", kKeyAllAccess, key.out()));
    EXPECT_TRUE(reg.loaded());
    EXPECT_TRUE(reg.memory().KeyExists(kHkeyCurrentUser, "Late"));

    // Reading, and writing what is already there, leaves the file alone.
    struct stat before {};
    stat(root.Host("registry.reg").c_str(), &before);
    std::uint32_t size = 0;
    ASSERT_EQ(kErrorSuccess, reg.QueryValue(key.get(), "target", nullptr, nullptr, &size));
    EXPECT_EQ(kErrorSuccess, SetString(reg, key.get(), "TARGET", "C:\\Vantrel\\db"));
    reg.Flush();
    struct stat after {};
    stat(root.Host("registry.reg").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced

    EXPECT_EQ(kErrorSuccess, SetString(reg, key.get(), "Other", "x"));
    reg.Flush();
    MemoryRegistry back;
    EXPECT_EQ(0u, ReadRegFile(root.Read("registry.reg"), back));
    std::string v;
    EXPECT_TRUE(back.GetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "Other", &v));
    EXPECT_EQ("x", v);
    EXPECT_EQ(WriteRegFile(back), root.Read("registry.reg"));
    EXPECT_TRUE(reports.messages.empty());
}

TEST(HostedRegistry, MissingFileIsAnEmptyRegistryAndTheRootIsMadeOnFirstWrite) {
    TestRoot root;
    const std::string file = root.Host("fresh/machine/registry.reg");
    {
        HostedRegistry reg(file);
        char name[64];
        std::uint32_t n = sizeof(name);
        EXPECT_EQ(kErrorNoMoreItems, reg.EnumKey(kHkeyLocalMachine, 0, name, &n));
        reg.Flush();
        EXPECT_FALSE(root.Has("fresh"));  // nothing changed, nothing written
        RegHandle key = 0;
        ASSERT_EQ(kErrorSuccess, reg.CreateKey(kHkeyClassesRoot, "CLSID\\{1}", kKeyAllAccess, &key));
        reg.CloseKey(key);
        reg.Flush();
    }
    EXPECT_EQ(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}]"
        "\r\n\r\n",
        root.Read("fresh/machine/registry.reg"));
    EXPECT_EQ(1u, root.EntryCount("fresh/machine"));  // no temporary file left
}

TEST(HostedRegistry, MalformedLinesAreReportedAndAFileThatCannotBeReadIsKept) {
    TestRoot root;
    root.Write("registry.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"ok\"=\"1\"\nrubbish\n");
    Reports reports;
    {
        HostedRegistry reg(root.Host("registry.reg"), reports.sink());
        EXPECT_TRUE(reg.memory().ValueExists(kHkeyLocalMachine, "K", "ok"));
    }
    ASSERT_EQ(1u, reports.messages.size());
    EXPECT_NE(std::string::npos, reports.messages[0].find("registry.reg:4:"));

    // A folder where the file should be cannot be read: changes are not
    // saved over it.
    TestRoot other;
    other.MakeDir("registry.reg");
    Reports more;
    {
        HostedRegistry reg(other.Host("registry.reg"), more.sink());
        reg.memory().SetString(kHkeyLocalMachine, "K", "v", "x");
        reg.Flush();
    }
    EXPECT_TRUE(std::filesystem::is_directory(other.Host("registry.reg")));
    EXPECT_EQ(1u, more.messages.size());

    // Nor can a FIFO, and reading it does not wait for a writer.
    TestRoot fifo;
    ASSERT_EQ(0, ::mkfifo(fifo.Host("registry.reg").c_str(), 0666));
    Reports fromFifo;
    ::alarm(30);
    {
        HostedRegistry reg(fifo.Host("registry.reg"), fromFifo.sink());
        reg.memory().SetString(kHkeyLocalMachine, "K", "v", "x");
        reg.Flush();
    }
    ::alarm(0);
    struct stat st {};
    ASSERT_EQ(0, ::lstat(fifo.Host("registry.reg").c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(1u, fromFifo.messages.size());
    EXPECT_NE(std::string::npos, fromFifo.messages[0].find("cannot be read"));
}

// Generated registry files with one very deep key: it is refused with one
// report, the rest loads, the write-back stays about the size of what was
// read, and unloading does not overflow the stack.
TEST(HostedRegistry, AVeryDeepKeyIsRefusedAndTheRestLoadsAndUnloads) {
    for (std::size_t depth : {std::size_t{20000}, std::size_t{200000}}) {
        SCOPED_TRACE(depth);
        std::string deep = "[HKEY_LOCAL_MACHINE";
        for (std::size_t i = 0; i < depth; ++i) deep += "\\a";
        const std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Before]\r\n\"b\"=\"1\"\r\n\r\n" + deep +
                                 "]\r\n\"deep\"=\"1\"\r\n\r\n" + deep +
                                 "\\b]\r\n\r\n[HKEY_CURRENT_USER\\After]\r\n\r\n";
        TestRoot root;
        root.Write("registry.reg", text);
        Reports reports;
        {
            HostedRegistry reg(root.Host("registry.reg"), reports.sink());
            EXPECT_TRUE(reg.memory().ValueExists(kHkeyLocalMachine, "Before", "b"));
            EXPECT_TRUE(reg.memory().KeyExists(kHkeyCurrentUser, "After"));
            EXPECT_FALSE(reg.memory().KeyExists(kHkeyLocalMachine, "a"));
            reg.memory().SetString(kHkeyCurrentUser, "After", "changed", "1");
            std::string allowed = "a";
            for (int i = 1; i < 511; ++i) allowed += "\\a";
            reg.memory().CreatePath(kHkeyLocalMachine, allowed);
        }
        ASSERT_EQ(1u, reports.messages.size());
        EXPECT_NE(std::string::npos, reports.messages[0].find("registry.reg:6: skipped 2 key(s) deeper than 512"));
        EXPECT_LT(root.Read("registry.reg").size(), text.size());
    }
}

TEST(HostedRegistry, AFailedWriteIsReportedOnceAndRetried) {
    TestRoot root;
    root.Write("blocker", "a file where the machine folder should be");
    Reports reports;
    HostedRegistry reg(root.Host("blocker/registry.reg"), reports.sink());
    reg.memory().SetString(kHkeyCurrentUser, "K", "v", "1");
    reg.Flush();
    reg.Flush();
    EXPECT_EQ(1u, reports.messages.size());
    std::filesystem::remove(root.Host("blocker"));
    reg.Flush();
    MemoryRegistry back;
    EXPECT_EQ(0u, ReadRegFile(root.Read("blocker/registry.reg"), back));
    EXPECT_TRUE(back.ValueExists(kHkeyCurrentUser, "K", "v"));
    EXPECT_EQ(1u, reports.messages.size());
}

}  // namespace
}  // namespace comp_mgr
