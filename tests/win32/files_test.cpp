// The file adapter against the file system of the (Wine) system.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_files.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::CountEntries;
using win32_test::ReadFileBytes;
using win32_test::ScratchFolder;
using win32_test::WriteFileBytes;

class Win32FilesTest : public ::testing::Test {
protected:
    Win32Files files_;
    ScratchFolder dir_;
};

TEST_F(Win32FilesTest, ReadsWhileAnotherHandleWritesTheFile) {
    const std::string path = dir_ / "vnt_Compdb.ini";
    const std::string content("[PlugIn_1]\r\nx=1\r\n\0tail", 22);
    WriteFileBytes(path, content);
    // An installer holding the file open for writing does not lock us out.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    std::string read;
    EXPECT_TRUE(files_.CanOpen(path));
    EXPECT_TRUE(files_.ReadAll(path, &read));
    EXPECT_EQ(content, read);
    CloseHandle(writer);

    EXPECT_TRUE(files_.Exists(path));
    EXPECT_TRUE(files_.Exists(dir_.path()));
    EXPECT_FALSE(files_.CanOpen(dir_.path()));  // a folder is not a readable file
    EXPECT_FALSE(files_.Exists(dir_ / "missing.ini"));
    EXPECT_FALSE(files_.CanOpen(dir_ / "missing.ini"));
    read = "kept";
    EXPECT_FALSE(files_.ReadAll(dir_ / "missing.ini", &read));
    EXPECT_EQ("kept", read);
    EXPECT_FALSE(files_.Exists(""));
}

TEST_F(Win32FilesTest, ReplaceWritesNewFilesAndKeepsTheOldOneAsBackup) {
    const std::string path = dir_ / "vnt_Compdb.ini";
    const std::string backup = dir_ / "vnt_Compdb.bak";
    ASSERT_TRUE(files_.Replace(path, "first", ""));
    EXPECT_EQ("first", ReadFileBytes(path));
    EXPECT_EQ(1, CountEntries(dir_.path()));

    ASSERT_TRUE(files_.Replace(path, "second", backup));
    EXPECT_EQ("second", ReadFileBytes(path));
    EXPECT_EQ("first", ReadFileBytes(backup));

    // An older backup gives way.
    ASSERT_TRUE(files_.Replace(path, "third", backup));
    EXPECT_EQ("third", ReadFileBytes(path));
    EXPECT_EQ("second", ReadFileBytes(backup));

    // Without a backup name the old content is simply gone.
    ASSERT_TRUE(files_.Replace(path, std::string(200000, 'x'), ""));
    EXPECT_EQ(std::string(200000, 'x'), ReadFileBytes(path));
    EXPECT_EQ("second", ReadFileBytes(backup));
    EXPECT_EQ(2, CountEntries(dir_.path()));  // no temporary file left behind
}

// ReplaceFileA gives the new file the attributes (and security) of the file
// it replaces: a save keeps a hidden catalog hidden, with a backup or without.
TEST_F(Win32FilesTest, AReplacementKeepsTheAttributesOfTheFileItReplaces) {
    const std::string path = dir_ / "vnt_Compdb.ini";
    const std::string backup = dir_ / "vnt_Compdb.bak";
    WriteFileBytes(path, "old");
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), kept));
    ASSERT_TRUE(files_.Replace(path, "new", backup));
    EXPECT_EQ(kept, GetFileAttributesA(path.c_str()) & kept);
    ASSERT_TRUE(files_.Replace(path, "newer", ""));
    EXPECT_EQ(kept, GetFileAttributesA(path.c_str()) & kept);
    EXPECT_EQ("newer", ReadFileBytes(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FilesTest, ReplaceWithWritesEveryPieceAndCleansUpAfterAThrow) {
    const std::string path = dir_ / "vnt_Compdb.ini";
    const std::string backup = dir_ / "vnt_Compdb.bak";
    WriteFileBytes(path, "current");
    WriteFileBytes(backup, "previous");

    // One piece larger than a single WriteFile call takes.
    const std::string large(0x100000 + 12345, 'L');
    ASSERT_TRUE(files_.ReplaceWith(
        path,
        [&](ContentSink& sink) {
            sink.Write("head|");
            sink.Write("");
            sink.Write(large);
            sink.Write("|tail");
        },
        backup));
    EXPECT_EQ("head|" + large + "|tail", ReadFileBytes(path));
    EXPECT_EQ("current", ReadFileBytes(backup));

    // A producer that gives up half-way changes nothing and leaves nothing.
    const auto throwing = [](ContentSink& sink) {
        sink.Write("partial");
        throw std::runtime_error("out of memory");
    };
    EXPECT_THROW(files_.ReplaceWith(path, throwing, backup), std::runtime_error);
    EXPECT_THROW(files_.ReplaceWith(dir_ / "new.ini", throwing, ""), std::runtime_error);
    EXPECT_EQ("head|" + large + "|tail", ReadFileBytes(path));
    EXPECT_EQ("current", ReadFileBytes(backup));
    EXPECT_EQ(2, CountEntries(dir_.path()));
}

TEST_F(Win32FilesTest, FailedReplaceLeavesBothOldFilesAndNoTemporaryFile) {
    const std::string path = dir_ / "vnt_Compdb.ini";
    const std::string backup = dir_ / "vnt_Compdb.bak";
    WriteFileBytes(path, "current");
    WriteFileBytes(backup, "previous");

    // A read-only database.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(files_.Replace(path, "new", backup));
    EXPECT_EQ("current", ReadFileBytes(path));
    EXPECT_EQ("previous", ReadFileBytes(backup));
    EXPECT_EQ(2, CountEntries(dir_.path()));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A database another program holds open without sharing it.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(files_.Replace(path, "new", backup));
    EXPECT_FALSE(files_.Replace(path, "new", ""));
    CloseHandle(lock);
    EXPECT_EQ("current", ReadFileBytes(path));
    EXPECT_EQ("previous", ReadFileBytes(backup));
    EXPECT_EQ(2, CountEntries(dir_.path()));

    // A folder that does not exist.
    EXPECT_FALSE(files_.Replace(dir_ / "no\\such.ini", "new", ""));
    EXPECT_FALSE(files_.Replace("", "new", ""));
    EXPECT_EQ(2, CountEntries(dir_.path()));
}

TEST_F(Win32FilesTest, FindListsMatchesInCaseInsensitiveOrder) {
    for (const char* name : {"b.dll", "c.DLL", "A.dll", "a2.dll", "readme.txt", "Z.ocx"}) {
        WriteFileBytes(dir_ / name, "x");
    }
    ASSERT_TRUE(CreateDirectoryA((dir_ / "Sub").c_str(), nullptr));

    std::vector<std::string> names;
    for (const FoundFile& f : files_.Find(dir_ / "*.dll")) names.push_back(f.name);
    EXPECT_EQ((std::vector<std::string>{"A.dll", "a2.dll", "b.dll", "c.DLL"}), names);

    std::vector<FoundFile> all = files_.Find(dir_ / "*");
    names.clear();
    for (const FoundFile& f : all) names.push_back(f.name);
    EXPECT_EQ((std::vector<std::string>{"A.dll", "a2.dll", "b.dll", "c.DLL", "readme.txt", "Sub", "Z.ocx"}), names);
    EXPECT_TRUE(all[5].isDirectory);
    EXPECT_FALSE(all[0].isDirectory);

    EXPECT_TRUE(files_.Find(dir_ / "*.exe").empty());
    EXPECT_TRUE(files_.Find(dir_ / "nowhere\\*").empty());

    EXPECT_TRUE(files_.Remove(dir_ / "b.dll"));
    EXPECT_FALSE(files_.Remove(dir_ / "b.dll"));
    EXPECT_EQ(3u, files_.Find(dir_ / "?*.dll").size());
}

TEST_F(Win32FilesTest, DisplayNameIsTheStoredNameOfAnExistingPathOnly) {
    WriteFileBytes(dir_ / "Vn_App.exe", "x");
    std::string name = "unchanged";
    EXPECT_FALSE(files_.DisplayName(dir_ / "missing.exe", &name));
    EXPECT_EQ("unchanged", name);
    ASSERT_TRUE(files_.DisplayName(dir_ / "VN_APP.EXE", &name));
    // Wine keeps the extension; Explorer may hide it for known file types.
    EXPECT_TRUE(name == "Vn_App.exe" || name == "Vn_App") << name;
    EXPECT_FALSE(files_.DisplayName(dir_ / "x", nullptr));
}

TEST_F(Win32FilesTest, FullAndLongAndShortPathForms) {
    std::string full;
    ASSERT_TRUE(files_.FullPath(dir_.path() + "\\a\\.\\b\\..\\c.ini", &full));
    EXPECT_EQ(dir_ / "a\\c.ini", full);
    EXPECT_FALSE(files_.FullPath(dir_ / "c.ini", &full, 5));  // does not fit
    EXPECT_FALSE(files_.FullPath("x", nullptr));

    const std::string file = dir_ / "LongName.ini";
    WriteFileBytes(file, "x");
    char buffer[300];
    std::uint32_t n = files_.LongPathName(dir_ / "longname.INI", buffer, sizeof buffer);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::string(buffer).size());
    EXPECT_EQ(0, _stricmp(file.c_str(), buffer));
    EXPECT_EQ(n + 1, files_.LongPathName(file, buffer, 4));  // the size needed
    EXPECT_EQ(0u, files_.LongPathName(dir_ / "missing.ini", buffer, sizeof buffer));
    n = files_.ShortPathName(file, buffer, sizeof buffer);
    EXPECT_GT(n, 0u);
    EXPECT_LT(n, sizeof buffer);
}

TEST_F(Win32FilesTest, CurrentDirectoryChangesAndComesBack) {
    std::string original;
    ASSERT_TRUE(files_.GetCurrentDirectory(&original));
    ASSERT_TRUE(files_.SetCurrentDirectory(dir_.path()));
    std::string now;
    ASSERT_TRUE(files_.GetCurrentDirectory(&now));
    EXPECT_EQ(0, _stricmp(dir_.path().c_str(), now.c_str()));
    EXPECT_FALSE(files_.GetCurrentDirectory(&now, 3));  // too small
    EXPECT_FALSE(files_.SetCurrentDirectory(dir_ / "missing"));
    // A relative path now resolves against the scratch folder.
    std::string full;
    ASSERT_TRUE(files_.FullPath("rel.ini", &full));
    EXPECT_EQ(0, _stricmp((dir_ / "rel.ini").c_str(), full.c_str()));
    EXPECT_TRUE(files_.SetCurrentDirectory(original));
}

}  // namespace
}  // namespace comp_mgr
