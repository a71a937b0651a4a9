// What the hosted machine remembers of its folders within a run: the answers
// stay those of a fresh look-up (exact name first, else the first
// case-insensitive match in byte order) across clashes, and across the
// adapter's own saves, renames and removals; names that appear from outside
// in another case show in the next run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/folder_index.h"
#include "platform/hosted/hosted_files.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/open_ahead.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

// The Windows long form of `path`, or "" when it does not exist.
std::string LongName(Files& files, const std::string& path) {
    char buffer[512];
    std::uint32_t n = files.LongPathName(path, buffer, sizeof(buffer));
    return n && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

ContentWriter Writes(const std::string& text) {
    return [text](ContentSink& sink) { sink.Write(text); };
}

struct Machine {
    explicit Machine(const TestRoot& root) : machine(root.path(), "C:\\x.exe", ""), files(machine) {}
    HostedMachine machine;
    HostedFiles files;
};

TEST(FolderIndex, ANameMatchesTheFirstEntryEqualButForCaseInByteOrder) {
    TestRoot root;
    for (const char* name : {"ab", "AB", "aB", "abc", "a", "B_", "\xc9t\xe9", "Zeta", "zeta-2"}) root.Write(name, "");
    FolderIndex index;
    struct Case {
        const char* asked;
        const char* found;  // "" when none
    };
    const Case cases[] = {
        {"Ab", "AB"},
        {"ab", "AB"},
        {"ABC", "abc"},
        {"A", "a"},
        {"b_", "B_"},
        {"zETA", "Zeta"},
        {"ZETA-2", "zeta-2"},
        {"\xc9T\xe9", "\xc9t\xe9"},
        {"\xe9t\xe9", ""},  // only ASCII folds
        {"abcd", ""},
        {"", ""},
        {"0", ""},
        {"~", ""},
    };
    for (const Case& c : cases) {
        std::string actual = "unchanged";
        EXPECT_EQ(index.FindNoCase(root.path(), c.asked, &actual), *c.found != '\0') << c.asked;
        if (*c.found) {
            EXPECT_EQ(actual, c.found) << c.asked;
        }
    }
}

TEST(FolderIndex, ClashesResolveAsAFreshLookUpWouldAtEveryAsking) {
    TestRoot root;
    for (const char* folder : {"lib", "Lib", "LIB"}) {
        root.Write(std::string("drive_c/") + folder + "/Plug.dll", folder);
        root.Write(std::string("drive_c/") + folder + "/PLUG.dll", folder);
        root.Write(std::string("drive_c/") + folder + "/plug.DLL", folder);
    }
    struct Case {
        const char* asked;
        const char* found;
    };
    const Case cases[] = {
        {"C:\\lib\\Plug.dll", "C:\\lib\\Plug.dll"},  // exact at each level
        {"C:\\Lib\\plug.DLL", "C:\\Lib\\plug.DLL"},
        {"C:\\LIB\\PLUG.dll", "C:\\LIB\\PLUG.dll"},
        {"c:\\lIb\\pLuG.dll", "C:\\LIB\\PLUG.dll"},  // "LIB" < "Lib" < "lib", "PLUG.dll" < "Plug.dll" < "plug.DLL"
        {"C:\\lib\\PLUG.DLL", "C:\\lib\\PLUG.dll"},
        {"C:\\lIB\\Plug.dll", "C:\\LIB\\Plug.dll"},  // the folder by case, the file exact
    };
    Machine m(root);
    for (int round = 0; round < 2; ++round) {  // the second round answers from what the first learnt
        for (const Case& c : cases) EXPECT_EQ(c.found, LongName(m.files, c.asked)) << c.asked << " round " << round;
    }
}

TEST(FolderIndex, TheAdaptersOwnSavesRenamesAndRemovalsAreSeenAtOnce) {
    TestRoot root;
    root.Write("drive_c/Db/Catalog.ini", "old");
    root.Write("drive_c/Db/X.txt", "upper");
    root.Write("drive_c/Db/x.txt", "lower");
    Machine m(root);
    // Questions that make the machine read the folder's names.
    EXPECT_EQ("", LongName(m.files, "c:\\db\\new.ini"));
    EXPECT_EQ("", LongName(m.files, "c:\\db\\catalog.bak"));
    EXPECT_EQ("C:\\Db\\X.txt", LongName(m.files, "c:\\db\\X.TXT"));

    // A new file takes the case given; the replaced one becomes the backup.
    ASSERT_TRUE(m.files.ReplaceWith("C:\\Db\\New.ini", Writes("n"), ""));
    EXPECT_EQ("C:\\Db\\New.ini", LongName(m.files, "c:\\db\\new.ini"));
    ASSERT_TRUE(m.files.ReplaceWith("c:\\DB\\CATALOG.INI", Writes("new"), "C:\\Db\\Catalog.Bak"));
    EXPECT_EQ("C:\\Db\\Catalog.Bak", LongName(m.files, "c:\\db\\catalog.bak"));
    EXPECT_EQ("old", root.Read("drive_c/Db/Catalog.Bak"));
    EXPECT_EQ("new", root.Read("drive_c/Db/Catalog.ini"));  // an existing file keeps its case

    // Removing the first match uncovers the next one in byte order.
    ASSERT_TRUE(m.files.Remove("C:\\db\\X.TXT"));
    EXPECT_FALSE(root.Has("drive_c/Db/X.txt"));
    EXPECT_EQ("C:\\Db\\x.txt", LongName(m.files, "c:\\db\\X.TXT"));
    ASSERT_TRUE(m.files.Remove("C:\\db\\X.TXT"));
    EXPECT_FALSE(m.files.Exists("c:\\db\\x.txt"));
    EXPECT_FALSE(m.files.CanOpen("C:\\Db\\x.txt"));
}

TEST(FolderIndex, NamesFromOutsideShowAsWrittenAtOnceAndInAnyCaseInTheNextRun) {
    TestRoot root;
    root.MakeDir("drive_c/Plugins");
    Machine first(root);
    EXPECT_FALSE(first.files.Exists("c:\\plugins\\late.dll"));  // the folder's names are read
    EXPECT_FALSE(first.files.Exists("D:\\"));

    root.Write("drive_c/Plugins/LATE.dll", "MZ");
    root.Write("drive_c/Plugins/Sub/Deep.dll", "MZ");
    root.MakeDir("drive_d");
    // Asked as they are written, new names are always found; so is a drive.
    EXPECT_TRUE(first.files.CanOpen("C:\\Plugins\\LATE.dll"));
    EXPECT_TRUE(first.files.CanOpen("C:\\Plugins\\Sub\\Deep.dll"));
    EXPECT_TRUE(first.files.Exists("D:\\"));

    Machine next(root);
    EXPECT_EQ("C:\\Plugins\\LATE.dll", LongName(next.files, "c:\\PLUGINS\\late.DLL"));
    EXPECT_EQ("C:\\Plugins\\Sub\\Deep.dll", LongName(next.files, "c:\\plugins\\SUB\\deep.dll"));
}

TEST(FolderIndex, FilesAndFoldersKeepTheirKindAndMissingPartsKeepTheirCase) {
    TestRoot root;
    root.Write("drive_c/Ide/Bin/tool.exe", "MZ");
    root.MakeDir("drive_c/Ide/Plugins");
    Machine m(root);
    struct Case {
        const char* asked;
        bool exists;
        bool folder;
        bool folderExists;
        const char* longPath;
    };
    const Case cases[] = {
        {"c:\\ide\\bin\\TOOL.EXE", true, false, true, "C:\\Ide\\Bin\\tool.exe"},
        {"c:\\ide\\PLUGINS\\", true, true, true, "C:\\Ide\\Plugins\\"},
        {"c:\\ide\\bin\\tool.exe\\x", false, false, false, "C:\\Ide\\Bin\\tool.exe\\x"},
        {"c:\\ide\\New\\Sub\\a.dll", false, false, false, "C:\\Ide\\New\\Sub\\a.dll"},
        {"c:\\IDE\\plugins\\None.dll", false, false, true, "C:\\Ide\\Plugins\\None.dll"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            HostedMachine::Location loc;
            ASSERT_TRUE(m.machine.Locate(c.asked, &loc)) << c.asked;
            EXPECT_EQ(c.exists, loc.exists) << c.asked;
            EXPECT_EQ(c.folder, loc.isDirectory) << c.asked;
            EXPECT_EQ(c.folderExists, loc.folderExists) << c.asked;
            EXPECT_EQ(c.longPath, loc.longPath) << c.asked;
        }
    }
}

// Files in remembered folders are asked of the kernel through a kept
// descriptor of the folder, a bounded number of them: past the bound, and in
// folders not yet remembered, the answers are those of the whole path.
// More folders than the machine keeps descriptors of, each holding the
// same kinds of entries; the cases name them.
constexpr int kFolders = FolderIndex::kMaxHandles + 6;

struct FolderCase {
    const char* name;  // in each folder
    bool canOpen;
    bool exists;
    const char* longName;
};
const FolderCase kFolderCases[] = {
    {"Plug.dll", true, true, "Plug.dll"},
    {"PLUG.DLL", true, true, "Plug.dll"},  // by case, after the exact name is not there
    {"sub", false, true, "Sub"},           // a folder is no file to open
    {"none.dll", false, false, ""},
    {"LINK.dll", true, true, "link.dll"},   // a link is followed
    {"Gone.dll", false, true, "gone.dll"},  // a link to nothing takes the name, opens nothing
    {"pipe", false, true, "pipe"},          // a FIFO is no file, and nothing waits on it
};

void MakeCaseFolders(const TestRoot& root) {
    for (int i = 0; i < kFolders; ++i) {
        const std::string folder = "drive_c/P" + std::to_string(i);
        root.Write(folder + "/Plug.dll", "x");
        root.MakeDir(folder + "/Sub");
        std::filesystem::create_symlink("Plug.dll", root.Host(folder + "/link.dll"));
        std::filesystem::create_symlink("nowhere.dll", root.Host(folder + "/gone.dll"));
        ASSERT_EQ(0, ::mkfifo(root.Host(folder + "/pipe").c_str(), 0666));
    }
}

TEST(FolderIndex, AnswersAreTheSameWithAndWithoutAKeptFolderDescriptor) {
    TestRoot root;
    MakeCaseFolders(root);
    const int folders = kFolders;
    const auto& cases = kFolderCases;
    Machine m(root);
    for (int round = 0; round < 2; ++round) {  // the first round remembers the folders, the second uses them
        for (int i = 0; i < folders; ++i) {
            const std::string folder = "C:\\p" + std::to_string(i) + "\\";
            for (const FolderCase& c : cases) {
                const std::string asked = folder + c.name;
                EXPECT_EQ(c.canOpen, m.files.CanOpen(asked)) << asked << " round " << round;
                EXPECT_EQ(c.exists, m.files.Exists(asked)) << asked << " round " << round;
                const std::string expected = *c.longName ? "C:\\P" + std::to_string(i) + "\\" + c.longName : "";
                EXPECT_EQ(expected, LongName(m.files, asked)) << asked << " round " << round;
            }
        }
    }
    // A file the adapter removes is gone through the descriptor too.
    ASSERT_TRUE(m.files.Remove("C:\\P0\\plug.dll"));
    EXPECT_FALSE(m.files.CanOpen("C:\\P0\\Plug.dll"));
    EXPECT_FALSE(m.files.Exists("C:\\P0\\Plug.dll"));
}

// Enough questions about the case folders to be asked together, with their
// answers one by one, and some that name no file at all.
void ManyQuestions(std::vector<std::string>* askedOut, std::vector<bool>* expectedOut) {
    std::vector<std::string>& asked = *askedOut;
    std::vector<bool>& expected = *expectedOut;
    for (int copy = 0; copy < 3; ++copy) {  // enough questions to be asked together
        for (int i = 0; i < kFolders; ++i) {
            for (const FolderCase& c : kFolderCases) {
                asked.push_back("C:\\p" + std::to_string(i) + "\\" + c.name);
                expected.push_back(c.canOpen);
            }
        }
        for (const char* odd :
             {"C:\\", "C:\\nowhere\\Plug.dll", "Q:\\Plug.dll", "\\\\server\\share\\a.dll", "C:\\P1\\Plug.dll\\x"}) {
            asked.push_back(odd);
            expected.push_back(false);
        }
    }
}

// Whether `path` is a file the removal of C:\P3\Plug.dll takes away.
bool GoneWithP3Plug(const std::string& path) {
    return path.rfind("C:\\p3\\", 0) == 0 &&
           (EqualsNoCase(path.substr(6), "plug.dll") || EqualsNoCase(path.substr(6), "link.dll"));
}

// Asked many at once, the questions get the answers they get one by one,
// whether the folders are new to the machine or remembered, with or without
// a kept descriptor, and whatever else is in the list.
TEST(FolderIndex, ManyQuestionsAskedTogetherGetTheAnswersOfOneByOne) {
    TestRoot root;
    MakeCaseFolders(root);
    std::vector<std::string> asked;
    std::vector<bool> expected;
    ManyQuestions(&asked, &expected);
    std::vector<const std::string*> paths;
    for (const std::string& path : asked) paths.push_back(&path);
    Machine m(root);
    for (int round = 0; round < 2; ++round) {  // the folders new, then remembered
        const std::vector<bool> answers = m.files.CanOpenEach(paths);
        ASSERT_EQ(asked.size(), answers.size());
        for (std::size_t k = 0; k < asked.size(); ++k)
            EXPECT_EQ(expected[k], answers[k]) << asked[k] << " round " << round;
    }
    // The adapter's own removal is seen by the next questions.
    ASSERT_TRUE(m.files.Remove("C:\\P3\\Plug.dll"));
    const std::vector<bool> after = m.files.CanOpenEach(paths);
    for (std::size_t k = 0; k < asked.size(); ++k)
        EXPECT_EQ(expected[k] && !GoneWithP3Plug(asked[k]), after[k]) << asked[k];
}

// Told ahead (as the catalog is read), the questions get the same answers,
// in whatever order and however many of them are then asked, and not the
// answers from before the adapter's own change.
TEST(FolderIndex, QuestionsToldAheadGetTheAnswersOfOneByOne) {
    std::vector<std::string> asked;
    std::vector<bool> expected;
    ManyQuestions(&asked, &expected);
    const std::size_t n = asked.size();
    struct Telling {
        const char* what;
        std::vector<std::size_t> told;  // places in `asked`, in the order told
        bool removeBeforeAsking;
    };
    std::vector<std::size_t> inOrder, reversed, everyOther, twice;
    for (std::size_t k = 0; k < n; ++k) {
        inOrder.push_back(k);
        reversed.push_back(n - 1 - k);
        if (k % 2 == 0) everyOther.push_back(k);
        twice.push_back(k);
        twice.push_back(k);
    }
    const Telling tellings[] = {
        {"in the order asked", inOrder, false}, {"in the reverse order", reversed, false},
        {"every other one", everyOther, false}, {"each twice", twice, false},
        {"then a file removed", inOrder, true}, {"nothing", {}, false},
    };
    std::vector<const std::string*> paths;
    for (const std::string& path : asked) paths.push_back(&path);
    for (const Telling& t : tellings) {
        TestRoot root;  // each telling its own, as one removes a file
        MakeCaseFolders(root);
        Machine m(root);
        for (std::size_t k : t.told) m.files.CanOpenSoon(asked[k]);
        if (t.removeBeforeAsking) {
            ASSERT_TRUE(m.files.Remove("C:\\P3\\Plug.dll"));
        }
        const std::vector<bool> answers = m.files.CanOpenEach(paths);
        ASSERT_EQ(n, answers.size()) << t.what;
        for (std::size_t k = 0; k < n; ++k)
            EXPECT_EQ(expected[k] && !(t.removeBeforeAsking && GoneWithP3Plug(asked[k])), answers[k])
                << asked[k] << ", told " << t.what;
    }
}

// The threads open through descriptors of their own: the machine's may be
// closed while they still work.
TEST(OpenAhead, AnswersThroughItsOwnDescriptors) {
    TestRoot root;
    MakeCaseFolders(root);
    const int folder = ::open(root.Host("drive_c/P0").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    OpenAhead ahead(2, true);
    const std::size_t count = OpenAhead::kThreadsFrom + 10;
    for (std::size_t k = 0; k < count; ++k)
        ahead.Add("q" + std::to_string(k), folder, k % 2 == 0 ? "Plug.dll" : k % 3 == 0 ? "pipe" : "PLUG.DLL");
    ::close(folder);
    ahead.Finish();
    for (std::size_t k = 0; k < count; ++k)
        EXPECT_EQ(k % 2 == 0   ? OpenAhead::kYes
                  : k % 3 == 0 ? OpenAhead::kNo
                               : OpenAhead::kAskAlone,
                  ahead.Take("q" + std::to_string(k)))
            << k;
    EXPECT_EQ(OpenAhead::kNotAdded, ahead.Take("never added"));
    // A path longer than a batch holds is left to be asked alone.
    OpenAhead longPath(2, true);
    const std::string huge = "C:\\" + std::string(70000, 'a');
    longPath.Add(huge, AT_FDCWD, "/nowhere");
    longPath.AddAnswer("short", true);
    longPath.Finish();
    EXPECT_EQ(OpenAhead::kNotAdded, longPath.Take(huge));
    EXPECT_EQ(OpenAhead::kYes, longPath.Take("short"));
}

}  // namespace
}  // namespace comp_mgr
