// The Files port (platform/files.h) against every adapter of the build.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ports/adapters_under_test.h"
#include "support/temp_names.h"

#ifdef _WIN32
#include <process.h>
#define COMP_MGR_TEST_PID _getpid()
#else
#include <unistd.h>
#define COMP_MGR_TEST_PID getpid()
#endif

namespace comp_mgr {
namespace ports_test {
namespace {

// "name" for a file, "name/" for a folder, in the order found.
std::vector<std::string> Names(const std::vector<FoundFile>& found) {
    std::vector<std::string> names;
    for (const FoundFile& f : found) names.push_back(f.name + (f.isDirectory ? "/" : ""));
    return names;
}

template <class Adapter>
class FilesPort : public PortTest<Adapter> {
protected:
    Files& files() { return this->adapter.files(); }
    std::string Path(const std::string& relative) { return this->adapter.Path(relative); }
};

TYPED_TEST_SUITE(FilesPort, AdaptersUnderTest, AdapterNames);

TYPED_TEST(FilesPort, AMissingFileIsNeitherThereNorReadNorRemoved) {
    Files& files = this->files();
    for (const std::string& path : {this->Path("missing.ini"), this->Path("no\\such\\folder.ini")}) {
        EXPECT_FALSE(files.Exists(path)) << path;
        EXPECT_FALSE(files.CanOpen(path)) << path;
        std::string content = "kept";
        EXPECT_FALSE(files.ReadAll(path, &content)) << path;
        EXPECT_EQ("kept", content);
        EXPECT_FALSE(files.Remove(path)) << path;
        std::string name = "kept";
        EXPECT_FALSE(files.DisplayName(path, &name)) << path;
        EXPECT_EQ("kept", name);
        char buffer[300];
        EXPECT_EQ(0u, files.LongPathName(path, buffer, sizeof buffer)) << path;
    }
    // The in-memory store takes "" for the current directory.
    const Answers<bool> emptyExists(true, false, false);
    EXPECT_EQ(this->Answer(emptyExists), files.Exists(""));
}

TYPED_TEST(FilesPort, AFolderIsThereButIsNoFile) {
    this->adapter.MakeFolder("Sub");
    Files& files = this->files();
    const std::string folder = this->Path("Sub");
    EXPECT_TRUE(files.Exists(folder));
    EXPECT_TRUE(files.Exists(folder + "\\"));
    EXPECT_TRUE(files.Exists(this->Path("SUB")));
    EXPECT_FALSE(files.CanOpen(folder));
    std::string content = "kept";
    EXPECT_FALSE(files.ReadAll(folder, &content));
    EXPECT_EQ("kept", content);
    EXPECT_FALSE(files.Remove(folder));
    EXPECT_TRUE(files.Exists(folder));
    // A file in the middle of a path is no folder.
    this->adapter.WriteFile("file.txt", "x");
    EXPECT_FALSE(files.Exists(this->Path("file.txt\\x")));
}

TYPED_TEST(FilesPort, ReadAllGivesEveryByteWhateverTheCaseOfTheName) {
    const std::string content("[PlugIn_1]\r\nx=1\r\n\0tail\xff", 23);
    this->adapter.WriteFile("Cat.ini", content);
    this->adapter.WriteFile("Empty.ini", "");
    this->adapter.WriteFile("Large.ini", std::string(300000, 'L'));
    Files& files = this->files();
    std::string read;
    EXPECT_TRUE(files.CanOpen(this->Path("cat.INI")));
    ASSERT_TRUE(files.ReadAll(this->Path("CAT.ini"), &read));
    EXPECT_EQ(content, read);
    ASSERT_TRUE(files.ReadAll(this->Path("Empty.ini"), &read));
    EXPECT_EQ("", read);
    ASSERT_TRUE(files.ReadAll(this->Path("Large.ini"), &read));
    EXPECT_EQ(std::string(300000, 'L'), read);

    // Piece by piece: the same bytes, a large file in more than one piece.
    struct Pieces : ContentSink {
        std::string bytes;
        int count = 0;
        void Write(std::string_view piece) override {
            bytes.append(piece);
            ++count;
        }
    };
    for (const char* name : {"cat.ini", "Empty.ini", "LARGE.ini"}) {
        Pieces pieces;
        ASSERT_TRUE(files.ReadPieces(this->Path(name), pieces)) << name;
        ASSERT_TRUE(files.ReadAll(this->Path(name), &read));
        EXPECT_EQ(read, pieces.bytes) << name;
    }
    Pieces none;
    EXPECT_FALSE(files.ReadPieces(this->Path("missing.ini"), none));
    EXPECT_FALSE(files.ReadPieces(this->Path(""), none));
}

TYPED_TEST(FilesPort, ReplaceKeepsThePreviousFileAsTheBackup) {
    Files& files = this->files();
    auto& machine = this->adapter;
    const std::string path = this->Path("Cat.ini");
    const std::string backup = this->Path("Cat.bak");

    // A new file: nothing to back up.
    ASSERT_TRUE(files.Replace(path, "first", backup));
    EXPECT_EQ("first", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("<missing>", machine.ReadFile("Cat.bak"));

    ASSERT_TRUE(files.Replace(path, "second", backup));
    EXPECT_EQ("second", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("first", machine.ReadFile("Cat.bak"));

    // An older backup gives way.
    ASSERT_TRUE(files.Replace(this->Path("CAT.INI"), "third", this->Path("cat.BAK")));
    EXPECT_EQ("third", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("second", machine.ReadFile("Cat.bak"));
    // Which case the names end in: the hosted machine keeps the stored ones,
    // Wine takes the given ones, the in-memory store the given one for the
    // backup only.
    const Answers<std::vector<std::string>> names({"cat.BAK", "Cat.ini"}, {"Cat.bak", "Cat.ini"},
                                                  {"cat.BAK", "CAT.INI"});
    EXPECT_EQ(this->Answer(names), Names(files.Find(this->Path("*"))));

    // Without a backup name the old content is simply gone.
    ASSERT_TRUE(files.Replace(path, std::string(200000, 'x'), ""));
    EXPECT_EQ(std::string(200000, 'x'), machine.ReadFile("Cat.ini"));
    EXPECT_EQ("second", machine.ReadFile("Cat.bak"));
    EXPECT_EQ(2u, machine.EntryCount(""));  // no temporary file left behind
}

// A save killed half-way leaves its temporary file behind; the next save in
// that folder removes such files, but only those whose process is gone, and
// no other names. The in-memory store has no temporary files to remove.
TYPED_TEST(FilesPort, ASaveRemovesWhatKilledSavesLeftAndNothingElse) {
    auto& machine = this->adapter;
    const std::uint32_t gone = 2147483645u;  // above every system's highest process id
    const auto self = static_cast<std::uint32_t>(COMP_MGR_TEST_PID);
    const std::vector<std::string> stale = {
        TemporaryNamePrefix("Cat.ini", gone) + "a1B2c3",
        TemporaryNamePrefix("Cat.bak", gone) + "Q",
        TemporaryNamePrefix("Other.ini", gone) + "zz9zz9",
    };
    const std::vector<std::string> others = {
        TemporaryNamePrefix("Cat.ini", self) + "a1B2c3",  // a save still running
        ".Cat.bak.link",                                  // a name shared by every saver once
        ".Cat.ini.backup",
        "Cat.ini" + TemporaryNamePrefix("", gone).substr(1) + "abc",  // no leading dot
        TemporaryNamePrefix("Cat.ini", gone) + "a-b",
        TemporaryNamePrefix("Cat.ini", gone) + std::string(17, 'a'),
    };
    for (const std::string& name : stale) machine.WriteFile(name, "left");
    for (const std::string& name : others) machine.WriteFile(name, "other");
    machine.WriteFile("Cat.ini", "old");

    ASSERT_TRUE(this->files().Replace(this->Path("Cat.ini"), "new", this->Path("Cat.bak")));
    EXPECT_EQ("new", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("old", machine.ReadFile("Cat.bak"));
    const Answers<std::string> leftover("left", "<missing>", "<missing>");
    for (const std::string& name : stale) EXPECT_EQ(this->Answer(leftover), machine.ReadFile(name)) << name;
    for (const std::string& name : others) EXPECT_EQ("other", machine.ReadFile(name)) << name;
    EXPECT_EQ(others.size() + 2 + (this->Answer(leftover) == "left" ? stale.size() : 0), machine.EntryCount(""));
}

TYPED_TEST(FilesPort, ReplaceWithTakesThePiecesInOrder) {
    Files& files = this->files();
    const std::string large(0x100000 + 12345, 'L');
    ASSERT_TRUE(files.ReplaceWith(
        this->Path("Cat.ini"),
        [&](ContentSink& sink) {
            sink.Write("head|");
            sink.Write("");
            sink.Write(large);
            sink.Write("|tail");
        },
        ""));
    EXPECT_EQ("head|" + large + "|tail", this->adapter.ReadFile("Cat.ini"));
}

// Every system call a replacement makes on its way forward is made to fail
// in turn, in each kind of replacement: over a file with a backup (an older
// backup there, or none), over a file without a backup, and of a new file.
// Each failure leaves every file as it was and no temporary file, and says
// why; the replacement that fails nothing writes the new file.
TYPED_TEST(FilesPort, AReplaceFailingAtAnyOfItsSystemCallsChangesNothingAndSaysWhy) {
    if (TypeParam::FailNthSystemCall(0) < 0) GTEST_SKIP() << "no system calls to fail";
    struct Case {
        const char* name;
        const char* current;   // nullptr: no file yet
        const char* previous;  // nullptr: no backup yet
        bool withBackup;
    };
    const Case cases[] = {
        {"over a file and its backup", "current", "previous", true},
        {"over a file with no backup yet", "current", nullptr, true},
        {"over a file without a backup", "current", nullptr, false},
        {"a new file", nullptr, nullptr, true},
    };
    Files& files = this->files();
    auto& machine = this->adapter;
    const std::string path = this->Path("Cat.ini");
    const std::string backup = this->Path("Cat.bak");
    const std::string content(200000, 'x');  // more than one write
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto restore = [&] {
            files.Remove(path);
            files.Remove(backup);
            if (c.current) machine.WriteFile("Cat.ini", c.current);
            if (c.previous) machine.WriteFile("Cat.bak", c.previous);
        };
        const std::size_t entries = (c.current ? 1u : 0u) + (c.previous ? 1u : 0u);
        restore();
        TypeParam::FailNthSystemCall(0);
        ASSERT_TRUE(files.Replace(path, content, c.withBackup ? backup : ""));
        const int calls = TypeParam::FailNthSystemCall(0);
        EXPECT_GE(calls, c.current ? 4 : 3);  // create, write, flush, put in place at least
        for (int n = 1; n <= calls; ++n) {
            SCOPED_TRACE("failing call " + std::to_string(n) + " of " + std::to_string(calls));
            restore();
            TypeParam::FailNthSystemCall(n);
            const bool replaced = files.Replace(path, content, c.withBackup ? backup : "");
            TypeParam::FailNthSystemCall(0);
            EXPECT_FALSE(replaced);
            EXPECT_FALSE(files.LastFailure().empty());
            EXPECT_EQ(c.current ? c.current : "<missing>", machine.ReadFile("Cat.ini"));
            EXPECT_EQ(c.previous ? c.previous : "<missing>", machine.ReadFile("Cat.bak"));
            EXPECT_EQ(entries, machine.EntryCount("")) << "a temporary file was left";
        }
    }
}

// A folder where the backup belongs is not the library's to remove; the file
// is replaced without a backup rather than not at all.
TYPED_TEST(FilesPort, AFolderInTheBackupsPlaceDoesNotBlockTheReplace) {
    Files& files = this->files();
    auto& machine = this->adapter;
    machine.WriteFile("Cat.ini", "current");
    machine.MakeFolder("Cat.bak");
    machine.WriteFile("Cat.bak\\inside", "kept");
    EXPECT_TRUE(files.Replace(this->Path("Cat.ini"), "new", this->Path("Cat.bak")));
    EXPECT_EQ("new", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("kept", machine.ReadFile("Cat.bak\\inside"));
    EXPECT_EQ(2u, machine.EntryCount(""));
}

TYPED_TEST(FilesPort, AFailedReplaceLeavesBothFilesAsTheyWere) {
    Files& files = this->files();
    auto& machine = this->adapter;
    machine.WriteFile("Cat.ini", "current");
    machine.WriteFile("Cat.bak", "previous");
    machine.MakeFolder("Folder.ini");
    const std::string path = this->Path("Cat.ini");
    const std::string backup = this->Path("Cat.bak");

    EXPECT_FALSE(files.Replace(this->Path("no\\such.ini"), "new", ""));  // no folder
    EXPECT_FALSE(files.Replace(this->Path("Folder.ini"), "new", ""));    // a folder is there
    EXPECT_FALSE(files.Replace(path, "new", this->Path("no\\such.bak")));
    EXPECT_FALSE(files.Replace("", "new", ""));

    // A producer that gives up half-way changes nothing.
    const auto throwing = [](ContentSink& sink) {
        sink.Write("partial");
        throw std::runtime_error("out of memory");
    };
    EXPECT_THROW(files.ReplaceWith(path, throwing, backup), std::runtime_error);
    EXPECT_THROW(files.ReplaceWith(this->Path("New.ini"), throwing, ""), std::runtime_error);

    EXPECT_EQ("current", machine.ReadFile("Cat.ini"));
    EXPECT_EQ("previous", machine.ReadFile("Cat.bak"));
    EXPECT_EQ("<missing>", machine.ReadFile("New.ini"));
    EXPECT_EQ(3u, machine.EntryCount(""));
}

// The in-memory and hosted adapters replace the file as if no backup were
// named; ReplaceFileA fails under Wine, and the file stays as it was.
TYPED_TEST(FilesPort, ABackupUnderTheFilesOwnName) {
    Files& files = this->files();
    this->adapter.WriteFile("Cat.ini", "current");
    const Answers<bool> replaced(true, true, false);
    const Answers<std::string> content("new", "new", "current");
    EXPECT_EQ(this->Answer(replaced), files.Replace(this->Path("Cat.ini"), "new", this->Path("CAT.INI")));
    EXPECT_EQ(this->Answer(content), this->adapter.ReadFile("Cat.ini"));
    EXPECT_EQ(this->Answer(replaced), files.Replace(this->Path("Cat.ini"), "new", this->Path("Cat.ini")));
    EXPECT_EQ(this->Answer(content), this->adapter.ReadFile("Cat.ini"));
    EXPECT_EQ(1u, this->adapter.EntryCount(""));
}

TYPED_TEST(FilesPort, FindMatchesThePatternInCaseInsensitiveNameOrder) {
    auto& machine = this->adapter;
    for (const char* name : {"b.dll", "c.DLL", "A.dll", "a2.dll", "readme.txt", "Z.ocx", "cl_arm.exe", "cl.exe"}) {
        machine.WriteFile(name, "x");
    }
    machine.MakeFolder("Sub");
    machine.MakeFolder("Zdir.dll");
    Files& files = this->files();

    EXPECT_EQ((std::vector<std::string>{"A.dll", "a2.dll", "b.dll", "c.DLL", "Zdir.dll/"}),
              Names(files.Find(this->Path("*.dll"))));
    EXPECT_EQ((std::vector<std::string>{"A.dll", "a2.dll", "b.dll", "c.DLL", "cl.exe", "cl_arm.exe", "readme.txt",
                                        "Sub/", "Z.ocx", "Zdir.dll/"}),
              Names(files.Find(this->Path("*"))));  // no "." or ".."
    EXPECT_EQ((std::vector<std::string>{"cl.exe", "cl_arm.exe"}), Names(files.Find(this->Path("CL*.EXE"))));
    EXPECT_EQ((std::vector<std::string>{"Z.ocx"}), Names(files.Find(this->Path("?.OCX"))));
    EXPECT_EQ((std::vector<std::string>{"a2.dll"}), Names(files.Find(this->Path("a?.dll"))));
    // A name without wildcards finds the entry in its stored case.
    EXPECT_EQ((std::vector<std::string>{"A.dll"}), Names(files.Find(this->Path("a.DLL"))));

    EXPECT_TRUE(files.Find(this->Path("*.sys")).empty());
    EXPECT_TRUE(files.Find(this->Path("nowhere\\*")).empty());
    EXPECT_TRUE(files.Find(this->Path("Sub\\*")).empty());
    EXPECT_TRUE(files.Find(this->Path("") + "\\").empty());  // a folder, not its contents

    // A relative pattern is looked for in the current directory.
    ASSERT_TRUE(files.SetCurrentDirectory(this->Path("")));
    EXPECT_EQ((std::vector<std::string>{"Z.ocx"}), Names(files.Find("*.ocx")));
}

TYPED_TEST(FilesPort, FullPathNeedsRoomForTheTerminator) {
    Files& files = this->files();
    const std::string expected = this->Path("a\\c.ini");
    std::string full;
    ASSERT_TRUE(files.FullPath(this->Path("a\\.\\b\\..\\c.ini"), &full));
    EXPECT_EQ(expected, full);
    ASSERT_TRUE(files.FullPath(this->Path("") + "/a//c.ini", &full));
    EXPECT_EQ(expected, full);

    const auto length = static_cast<std::uint32_t>(expected.size());
    full = "kept";
    EXPECT_FALSE(files.FullPath(expected, &full, length));
    EXPECT_EQ("kept", full);
    ASSERT_TRUE(files.FullPath(expected, &full, length + 1));
    EXPECT_EQ(expected, full);

    // The default capacity is _MAX_PATH. Windows' _fullpath gives no longer
    // result whatever the buffer; the other adapters do.
    const std::string longName = this->Path(std::string(260 - expected.size() + 10, 'n'));
    EXPECT_FALSE(files.FullPath(longName, &full));
    const Answers<bool> longerFits(true, true, false);
    EXPECT_EQ(this->Answer(longerFits), files.FullPath(longName, &full, 1024));
    if (this->Answer(longerFits)) {
        EXPECT_EQ(longName, full);
    }
}

TYPED_TEST(FilesPort, TheCurrentDirectoryIsKeptAsGivenAndNeedsRoomForTheTerminator) {
    auto& machine = this->adapter;
    machine.MakeFolder("Work");
    machine.MakeFolder("Other");
    machine.WriteFile("Other\\data.txt", "data");
    Files& files = this->files();

    ASSERT_TRUE(files.SetCurrentDirectory(this->Path("Work")));
    std::string cwd;
    ASSERT_TRUE(files.GetCurrentDirectory(&cwd));
    EXPECT_EQ(this->Path("Work"), cwd);
    const auto length = static_cast<std::uint32_t>(cwd.size());
    std::string small = "kept";
    EXPECT_FALSE(files.GetCurrentDirectory(&small, length));
    EXPECT_EQ("kept", small);
    EXPECT_TRUE(files.GetCurrentDirectory(&small, length + 1));
    EXPECT_EQ(cwd, small);

    EXPECT_FALSE(files.SetCurrentDirectory(this->Path("Missing")));
    EXPECT_FALSE(files.SetCurrentDirectory(this->Path("Other\\data.txt")));
    ASSERT_TRUE(files.GetCurrentDirectory(&cwd));
    EXPECT_EQ(this->Path("Work"), cwd);

    // Relative, other case, a trailing backslash.
    ASSERT_TRUE(files.SetCurrentDirectory("..\\OTHER\\"));
    ASSERT_TRUE(files.GetCurrentDirectory(&cwd));
    EXPECT_EQ(this->Path("OTHER"), cwd);
    EXPECT_TRUE(files.Exists("DATA.TXT"));
    std::string content;
    EXPECT_TRUE(files.ReadAll("data.txt", &content));
    EXPECT_EQ("data", content);
    std::string full;
    ASSERT_TRUE(files.FullPath("sub\\..\\x.ini", &full));
    EXPECT_EQ(this->Path("OTHER\\x.ini"), full);
}

TYPED_TEST(FilesPort, LongPathNameGivesTheStoredCaseAndTheSizeNeeded) {
    this->adapter.MakeFolder("Tools");
    this->adapter.WriteFile("Tools\\LongName.ini", "x");
    Files& files = this->files();
    const std::string stored = this->Path("Tools\\LongName.ini");

    char buffer[300] = {};
    std::uint32_t n = files.LongPathName(this->Path("TOOLS\\longname.INI"), buffer, sizeof buffer);
    ASSERT_EQ(stored.size(), n);
    EXPECT_EQ(stored, std::string(buffer));
    EXPECT_EQ(stored.size() + 1, files.LongPathName(stored, buffer, 4));
    EXPECT_EQ(stored.size() + 1, files.LongPathName(stored, nullptr, 0));
    EXPECT_EQ(stored.size() + 1, files.LongPathName(stored, buffer, static_cast<std::uint32_t>(stored.size())));

    // Short names: the hosted machine has none, the in-memory one only those a
    // test sets, Windows one for every file.
    const Answers<bool> hasShortName(false, false, true);
    n = files.ShortPathName(stored, buffer, sizeof buffer);
    EXPECT_EQ(this->Answer(hasShortName), n > 0 && n < sizeof buffer);
}

TYPED_TEST(FilesPort, DisplayNameIsTheStoredNameOfAnExistingPath) {
    this->adapter.WriteFile("Vn_App.exe", "x");
    this->adapter.MakeFolder("Tools");
    Files& files = this->files();
    std::string name;
    ASSERT_TRUE(files.DisplayName(this->Path("VN_APP.EXE"), &name));
    // Explorer may hide a known extension on Windows; Wine keeps it.
    EXPECT_EQ("Vn_App.exe", name);
    ASSERT_TRUE(files.DisplayName(this->Path("tools"), &name));
    EXPECT_EQ("Tools", name);
}

TYPED_TEST(FilesPort, RemoveDeletesFilesOnly) {
    this->adapter.WriteFile("Server.dll", "x");
    this->adapter.MakeFolder("Sub");
    Files& files = this->files();
    EXPECT_TRUE(files.Remove(this->Path("SERVER.DLL")));
    EXPECT_EQ("<missing>", this->adapter.ReadFile("Server.dll"));
    EXPECT_FALSE(files.Remove(this->Path("Server.dll")));
    EXPECT_FALSE(files.Remove(this->Path("Sub")));
    EXPECT_EQ(1u, this->adapter.EntryCount(""));
}

}  // namespace
}  // namespace ports_test
}  // namespace comp_mgr
