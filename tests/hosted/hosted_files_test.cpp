// The hosted machine's paths and files: drive mapping, case rules, the
// machine's own current directory and crash-safe replacement.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utime.h>

#include <cstring>
#include <ctime>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_files.h"
#include "platform/hosted/hosted_loader.h"
#include "platform/hosted/hosted_machine.h"
#include "support/temp_names.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

std::string LongName(Files& files, const std::string& path) {
    char buffer[512];
    std::uint32_t n = files.LongPathName(path, buffer, sizeof(buffer));
    return n && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
    std::vector<std::string> names;
    for (const auto& f : found) names.push_back(f.name + (f.isDirectory ? "/" : ""));
    return names;
}

TEST(HostedMachine, MapsDrivesAndFindsComponentsWithoutRegardToCase) {
    TestRoot root;
    root.Write("drive_c/Ide/Bin/vn_app.exe", "exe");
    HostedMachine machine(root.path(), "C:\\Ide\\Bin\\vn_app.exe", "");
    HostedFiles files(machine);

    HostedMachine::Location loc;
    ASSERT_TRUE(machine.Locate("c:\\IDE\\bin\\VN_APP.EXE", &loc));
    EXPECT_TRUE(loc.exists);
    EXPECT_EQ(root.Host("drive_c/Ide/Bin/vn_app.exe"), loc.hostPath);
    EXPECT_EQ("C:\\Ide\\Bin\\vn_app.exe", LongName(files, "c:/ide//BIN\\\\vn_app.EXE"));

    // A name that is not there keeps the case it was given.
    ASSERT_TRUE(machine.Locate("C:\\ide\\NewDir\\File.txt", &loc));
    EXPECT_FALSE(loc.exists);
    EXPECT_FALSE(loc.folderExists);
    EXPECT_EQ(root.Host("drive_c/Ide/NewDir/File.txt"), loc.hostPath);
    EXPECT_EQ(0u, LongName(files, "C:\\ide\\NewDir").size());

    // A drive without a folder does not exist, not even its root.
    EXPECT_FALSE(files.Exists("Z:\\"));
    EXPECT_FALSE(files.Exists("Z:\\anything"));
    EXPECT_FALSE(machine.Locate("\\\\server\\share\\x", &loc));
    EXPECT_TRUE(files.Exists("C:\\"));

    // A file in the middle of a path is not a folder.
    EXPECT_FALSE(files.Exists("C:\\Ide\\Bin\\vn_app.exe\\x"));
}

TEST(HostedMachine, ExactMatchWinsElseFirstCaseInsensitiveMatchInByteOrder) {
    TestRoot root;
    root.Write("drive_c/foo/a.txt", "lower");
    root.Write("drive_c/Foo/a.txt", "mixed");
    root.Write("drive_c/FOO/a.txt", "upper");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);
    std::string content;
    ASSERT_TRUE(files.ReadAll("C:\\Foo\\a.txt", &content));
    EXPECT_EQ("mixed", content);
    ASSERT_TRUE(files.ReadAll("C:\\foo\\A.TXT", &content));
    EXPECT_EQ("lower", content);
    ASSERT_TRUE(files.ReadAll("C:\\fOo\\a.txt", &content));
    EXPECT_EQ("upper", content);  // "FOO" < "Foo" < "foo"
}

TEST(HostedMachine, CurrentDirectoryBelongsToTheMachine) {
    TestRoot root;
    root.Write("drive_c/Vantrel/bin/vn_app.exe", "exe");
    root.Write("drive_c/Work/data.txt", "data");
    const std::string realCwd = std::filesystem::current_path().string();
    HostedMachine machine(root.path(), "C:\\Vantrel\\bin\\vn_app.exe", "");
    HostedFiles files(machine);

    std::string cwd;
    ASSERT_TRUE(files.GetCurrentDirectory(&cwd));
    EXPECT_EQ("C:\\Vantrel\\bin", cwd);
    EXPECT_FALSE(files.GetCurrentDirectory(&cwd, static_cast<std::uint32_t>(cwd.size())));  // no room for the NUL

    EXPECT_TRUE(files.Exists("vn_app.exe"));
    EXPECT_FALSE(files.SetCurrentDirectory("C:\\Missing"));
    EXPECT_FALSE(files.SetCurrentDirectory("C:\\Work\\data.txt"));
    ASSERT_TRUE(files.SetCurrentDirectory("..\\..\\work\\"));
    ASSERT_TRUE(files.GetCurrentDirectory(&cwd));
    EXPECT_EQ("C:\\work", cwd);  // kept as given, like Windows
    std::string content;
    EXPECT_TRUE(files.ReadAll("DATA.TXT", &content));
    EXPECT_EQ(realCwd, std::filesystem::current_path().string());

    std::string full;
    ASSERT_TRUE(files.FullPath("sub\\..\\x.ini", &full));
    EXPECT_EQ("C:\\work\\x.ini", full);
    EXPECT_FALSE(files.FullPath(std::string(300, 'a'), &full));  // longer than _MAX_PATH

    HostedMachine given(root.path(), "C:\\Vantrel\\bin\\vn_app.exe", "C:\\Work");
    EXPECT_EQ("C:\\Work", given.currentDirectory());
}

TEST(HostedFiles, ReadOpenRemoveDisplayNameAndShortNames) {
    TestRoot root;
    root.Write("drive_c/Tools/Vers.EXE", "v");
    root.MakeDir("drive_c/Tools/Sub");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);

    std::string name;
    ASSERT_TRUE(files.DisplayName("c:\\tools\\vers.exe", &name));
    EXPECT_EQ("Vers.EXE", name);
    ASSERT_TRUE(files.DisplayName("C:\\TOOLS", &name));
    EXPECT_EQ("Tools", name);
    EXPECT_FALSE(files.DisplayName("C:\\Tools\\none.exe", &name));

    char buffer[64];
    EXPECT_EQ(0u, files.ShortPathName("C:\\Tools\\Vers.EXE", buffer, sizeof(buffer)));
    // GetLongPathNameA reports the size needed when the buffer is small.
    EXPECT_EQ(std::string("C:\\Tools\\Vers.EXE").size() + 1, files.LongPathName("c:\\tools\\vers.exe", buffer, 5));

    EXPECT_TRUE(files.CanOpen("C:\\Tools\\vers.exe"));
    EXPECT_FALSE(files.CanOpen("C:\\Tools\\Sub"));
    std::string content;
    EXPECT_FALSE(files.ReadAll("C:\\Tools\\Sub", &content));
    EXPECT_FALSE(files.Remove("C:\\Tools\\Sub"));
    EXPECT_TRUE(files.Remove("C:\\TOOLS\\VERS.exe"));
    EXPECT_FALSE(root.Has("drive_c/Tools/Vers.EXE"));
    EXPECT_FALSE(files.Remove("C:\\Tools\\Vers.EXE"));
}

TEST(HostedFiles, FindListsMatchesInCaseInsensitiveOrder) {
    TestRoot root;
    for (const char* n : {"b.dll", "A.DLL", "c.ocx", "cl_arm.exe", "CL.exe", "readme"}) {
        root.Write(std::string("drive_c/Plug/") + n, "x");
    }
    root.MakeDir("drive_c/Plug/Zdir.dll");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);
    EXPECT_EQ((std::vector<std::string>{"A.DLL", "b.dll", "Zdir.dll/"}), Names(files.Find("c:\\plug\\*.dll")));
    EXPECT_EQ((std::vector<std::string>{"CL.exe", "cl_arm.exe"}), Names(files.Find("C:\\Plug\\cl*.exe")));
    EXPECT_EQ(7u, files.Find("C:\\Plug\\*").size());  // no "." or ".."
    EXPECT_EQ((std::vector<std::string>{"c.ocx"}), Names(files.Find("C:\\Plug\\?.OCX")));
    EXPECT_TRUE(files.Find("C:\\Missing\\*").empty());
    EXPECT_TRUE(files.Find("Q:\\*").empty());
}

TEST(HostedFiles, ReplaceWritesWholeFilesAndKeepsTheBackup) {
    TestRoot root;
    root.MakeDir("drive_c/Db");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);

    EXPECT_TRUE(files.Replace("C:\\db\\Cat.ini", "one", "C:\\db\\Cat.bak"));
    EXPECT_EQ("one", root.Read("drive_c/Db/Cat.ini"));
    EXPECT_FALSE(root.Has("drive_c/Db/Cat.bak"));  // nothing to back up yet

    EXPECT_TRUE(files.Replace("C:\\DB\\cat.INI", "two", "C:\\Db\\Cat.bak"));
    EXPECT_EQ("two", root.Read("drive_c/Db/Cat.ini"));  // the existing name keeps its case
    EXPECT_EQ("one", root.Read("drive_c/Db/Cat.bak"));
    EXPECT_TRUE(files.Replace("C:\\Db\\Cat.ini", "three", "C:\\Db\\Cat.bak"));
    EXPECT_EQ("two", root.Read("drive_c/Db/Cat.bak"));
    EXPECT_TRUE(files.Replace("C:\\Db\\Cat.ini", "four", ""));
    EXPECT_EQ("two", root.Read("drive_c/Db/Cat.bak"));
    EXPECT_EQ(2u, root.EntryCount("drive_c/Db"));

    // A backup under the file's own name is no backup; nothing extra is left.
    EXPECT_TRUE(files.Replace("C:\\Db\\Cat.ini", "five", "c:\\db\\CAT.INI"));
    EXPECT_EQ("five", root.Read("drive_c/Db/Cat.ini"));
    EXPECT_EQ(2u, root.EntryCount("drive_c/Db"));
    EXPECT_TRUE(files.Replace("C:\\Db\\Cat.ini", "four", ""));

    EXPECT_FALSE(files.Replace("C:\\NoFolder\\x.ini", "x", ""));
    EXPECT_FALSE(files.Replace("C:\\Db\\Cat.ini", "x", "C:\\NoFolder\\x.bak"));
    EXPECT_FALSE(files.Replace("C:\\Db", "x", ""));
    EXPECT_FALSE(files.Replace("Y:\\x.ini", "x", ""));
    EXPECT_EQ("four", root.Read("drive_c/Db/Cat.ini"));
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A group-shared catalog stays group-shared after a save, and a private one
// private; the backup is the old file itself, mode and all.
TEST(HostedFiles, AReplacementKeepsTheModeAndOwnerOfTheFileItReplaces) {
    const mode_t mask = ::umask(022);
    for (mode_t mode : {mode_t{0664}, mode_t{0600}, mode_t{0640}}) {
        SCOPED_TRACE(mode);
        TestRoot root;
        root.Write("drive_c/Db/Cat.ini", "old");
        ASSERT_EQ(0, ::chmod(root.Host("drive_c/Db/Cat.ini").c_str(), mode));
        HostedMachine machine(root.path(), "C:\\x.exe", "");
        HostedFiles files(machine);
        ASSERT_TRUE(files.Replace("C:\\Db\\Cat.ini", "new", "C:\\Db\\Cat.bak"));
        EXPECT_EQ(mode, ModeOf(root.Host("drive_c/Db/Cat.ini")));
        EXPECT_EQ(mode, ModeOf(root.Host("drive_c/Db/Cat.bak")));
        ASSERT_TRUE(files.Replace("C:\\Db\\Cat.ini", "newer", ""));
        EXPECT_EQ(mode, ModeOf(root.Host("drive_c/Db/Cat.ini")));
        struct stat st {};
        ASSERT_EQ(0, ::stat(root.Host("drive_c/Db/Cat.ini").c_str(), &st));
        EXPECT_EQ(::getuid(), st.st_uid);
        // A new file gets the usual mode.
        ASSERT_TRUE(files.Replace("C:\\Db\\New.ini", "x", ""));
        EXPECT_EQ(mode_t{0644}, ModeOf(root.Host("drive_c/Db/New.ini")));
    }
    ::umask(mask);
}

// The process id of a temporary name may have been reused by a live process:
// past the safe age a leftover goes whatever its id says.
TEST(HostedFiles, ASaveRemovesOldTemporaryFilesEvenOfALiveProcessId) {
    TestRoot root;
    const std::string prefix = "drive_c/Db/" + TemporaryNamePrefix("Cat.ini", static_cast<std::uint32_t>(::getpid()));
    root.Write(prefix + "old123", "left");
    root.Write(prefix + "new123", "running");
    struct utimbuf times {};
    times.actime = times.modtime = std::time(nullptr) - kStaleTemporarySeconds - 60;
    ASSERT_EQ(0, ::utime(root.Host(prefix + "old123").c_str(), &times));
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);
    ASSERT_TRUE(files.Replace("C:\\Db\\Cat.ini", "x", ""));
    EXPECT_FALSE(root.Has(prefix + "old123"));
    EXPECT_TRUE(root.Has(prefix + "new123"));
}

// Temporary files of earlier builds' naming carry no process id: a save
// removes those of the files it replaces once they are an hour old, and
// leaves younger ones, other files' and names that only look alike.
TEST(HostedFiles, ASaveRemovesOldLeftoversOfEarlierNamingOnly) {
    struct Case {
        const char* name;
        bool old;
        bool removed;
    };
    const Case cases[] = {
        {".Cat.ini.a1B2c3", true, true},     // mkstemp's six letters and digits
        {".Cat.ini.link", true, true},       // the backup's fixed second name
        {".Cat.bak.Qz09xy", true, true},     // beside the backup
        {".Cat.ini.a1B2c3x", true, false},   // not six
        {".Cat.ini.backup", true, false},    // a word, somebody's name
        {".Other.ini.a1B2c3", true, false},  // another file's
        {".Cat.ini.Zz99zz", false, false},   // young: a save may be writing it
        {"cmg1A2B.tmp", true, false},        // Windows' naming is not made here
    };
    TestRoot root;
    for (const Case& c : cases) {
        root.Write(std::string("drive_c/Db/") + c.name, "left");
        struct utimbuf times {};
        times.actime = times.modtime = std::time(nullptr) - (c.old ? kStaleTemporarySeconds + 60 : 0);
        ASSERT_EQ(0, ::utime(root.Host(std::string("drive_c/Db/") + c.name).c_str(), &times));
    }
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);
    ASSERT_TRUE(files.Replace("C:\\Db\\Cat.ini", "x", "C:\\Db\\Cat.bak"));
    for (const Case& c : cases) EXPECT_EQ(!c.removed, root.Has(std::string("drive_c/Db/") + c.name)) << c.name;
}

// Windows has no FIFOs, devices or sockets among its files; on the hosted
// machine each is a name that is taken but is no file: nothing opens it, and
// nothing waits on it (a FIFO without a writer would block an open for ever).
TEST(HostedFiles, FifosDevicesAndSocketsAreNotOpenedAsFiles) {
    TestRoot root;
    root.MakeDir("drive_c/Db");
    ASSERT_EQ(0, ::mkfifo(root.Host("drive_c/Db/fifo.ini").c_str(), 0666));
    std::filesystem::create_symlink("/dev/zero", root.Host("drive_c/Db/device.ini"));
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_LE(0, sock);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = root.Host("drive_c/Db/socket.ini");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(0, ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address));

    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);
    HostedLoader loader(machine, false);
    ::alarm(30);  // a blocked open ends the test run instead of hanging it
    for (const char* name : {"fifo.ini", "device.ini", "socket.ini"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string("C:\\Db\\") + name;
        EXPECT_TRUE(files.Exists(path));
        EXPECT_FALSE(files.CanOpen(path));
        std::string content = "kept";
        EXPECT_FALSE(files.ReadAll(path, &content));
        EXPECT_EQ("kept", content);
        EXPECT_EQ(nullptr, loader.Load(path));
    }
    ::alarm(0);
    ::close(sock);
}

TEST(HostedFiles, ReplaceWithWritesEveryPieceAndCleansUpAfterAThrow) {
    TestRoot root;
    root.Write("drive_c/Db/Cat.ini", "current");
    root.Write("drive_c/Db/Cat.bak", "older");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);

    const std::string large(300000, 'L');
    EXPECT_TRUE(files.ReplaceWith(
        "C:\\Db\\Cat.ini",
        [&](ContentSink& sink) {
            sink.Write("head|");
            sink.Write("");
            sink.Write(large);
            sink.Write("|tail");
        },
        "C:\\Db\\Cat.bak"));
    EXPECT_EQ("head|" + large + "|tail", root.Read("drive_c/Db/Cat.ini"));
    EXPECT_EQ("current", root.Read("drive_c/Db/Cat.bak"));

    // A producer that gives up half-way changes nothing and leaves nothing.
    const auto throwing = [](ContentSink& sink) {
        sink.Write("partial");
        throw std::runtime_error("out of memory");
    };
    EXPECT_THROW(files.ReplaceWith("C:\\Db\\Cat.ini", throwing, "C:\\Db\\Cat.bak"), std::runtime_error);
    EXPECT_EQ("head|" + large + "|tail", root.Read("drive_c/Db/Cat.ini"));
    EXPECT_EQ("current", root.Read("drive_c/Db/Cat.bak"));
    EXPECT_EQ(2u, root.EntryCount("drive_c/Db"));
}

TEST(HostedFiles, FailedReplaceLeavesOldFileAndBackupIntact) {
    TestRoot root;
    root.Write("drive_c/Db/Cat.ini", "current");
    root.Write("drive_c/Db/Cat.bak", "older");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedFiles files(machine);

    // A write that fails half-way: the file size limit stops it after 16 bytes.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    bool replaced = files.Replace("C:\\Db\\Cat.ini", std::string(4096, 'n'), "C:\\Db\\Cat.bak");
    // The same when the limit is hit by a later piece, not the first.
    bool replacedInPieces = files.ReplaceWith(
        "C:\\Db\\Cat.ini",
        [](ContentSink& sink) {
            for (int i = 0; i < 5; ++i) sink.Write("0123456789");
        },
        "C:\\Db\\Cat.bak");
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(replaced);
    EXPECT_FALSE(replacedInPieces);
    EXPECT_EQ("current", root.Read("drive_c/Db/Cat.ini"));
    EXPECT_EQ("older", root.Read("drive_c/Db/Cat.bak"));
    EXPECT_EQ(2u, root.EntryCount("drive_c/Db"));  // no temporary file left

    if (geteuid() != 0) {  // permissions do not bind root
        std::filesystem::permissions(root.Host("drive_c/Db"),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(files.Replace("C:\\Db\\Cat.ini", "new", "C:\\Db\\Cat.bak"));
        std::filesystem::permissions(root.Host("drive_c/Db"), std::filesystem::perms::owner_all);
        EXPECT_EQ("current", root.Read("drive_c/Db/Cat.ini"));
        EXPECT_EQ("older", root.Read("drive_c/Db/Cat.bak"));
    }
}

}  // namespace
}  // namespace comp_mgr
