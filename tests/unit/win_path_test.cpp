#include "support/win_path.h"

#include <gtest/gtest.h>

namespace comp_mgr {
namespace {

TEST(WinPath, SplitPathAsTheCRuntime) {
    SplitPathParts p = SplitPath("C:\\Ide\\bin\\vn_app.exe");
    EXPECT_EQ(p.drive, "C:");
    EXPECT_EQ(p.dir, "\\Ide\\bin\\");
    EXPECT_EQ(p.fname, "vn_app");
    EXPECT_EQ(p.ext, ".exe");
    p = SplitPath("archive.tar.gz");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.dir, "");
    EXPECT_EQ(p.fname, "archive.tar");
    EXPECT_EQ(p.ext, ".gz");
    p = SplitPath("D:/a.b/c");
    EXPECT_EQ(p.dir, "/a.b/");
    EXPECT_EQ(p.fname, "c");
    EXPECT_EQ(p.ext, "");
}

TEST(WinPath, FullPathResolvesRelativeDotsAndDoubledSeparators) {
    const std::string cwd = "C:\\Vantrel\\bin";
    EXPECT_EQ(FullPath(cwd, "x.dll"), "C:\\Vantrel\\bin\\x.dll");
    EXPECT_EQ(FullPath(cwd, "..\\db\\.\\vnt_Compdb.ini"), "C:\\Vantrel\\db\\vnt_Compdb.ini");
    EXPECT_EQ(FullPath(cwd, "\\root.txt"), "C:\\root.txt");
    EXPECT_EQ(FullPath(cwd, "D:\\A\\\\vnt_Compdb.ini"), "D:\\A\\vnt_Compdb.ini");
    EXPECT_EQ(FullPath(cwd, "d:/a//b/"), "d:\\a\\b\\");
    EXPECT_EQ(FullPath(cwd, "C:rel"), "C:\\Vantrel\\bin\\rel");
    EXPECT_EQ(FullPath(cwd, "E:rel"), "E:\\rel");
    EXPECT_EQ(FullPath(cwd, "C:\\..\\..\\x"), "C:\\x");
    EXPECT_EQ(FullPath(cwd, "C:\\"), "C:\\");
}

TEST(WinPath, FullPathRefusesWhatDoesNotFit) {
    EXPECT_EQ(FullPath("C:\\", "abcdef", 10), "C:\\abcdef");  // 9 characters and the terminator
    EXPECT_EQ(FullPath("C:\\", "abcdefg", 10), "");
    EXPECT_EQ(FullPath("", "relative"), "");
}

TEST(WinPath, WildcardsMatchWithoutRegardToCase) {
    EXPECT_TRUE(WildcardMatch("*.dll", "Plug.DLL"));
    EXPECT_FALSE(WildcardMatch("*.dll", "plug.ocx"));
    EXPECT_TRUE(WildcardMatch("cl*.exe", "CL470.exe"));
    EXPECT_TRUE(WildcardMatch("a?c", "abc"));
    EXPECT_FALSE(WildcardMatch("a?c", "ac"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("*a*b*", "xxaYYbzz"));
}

}  // namespace
}  // namespace comp_mgr

namespace comp_mgr {
namespace {

TEST(WinPath, NetworkPathsKeepTheirLeadingSeparators) {
    EXPECT_EQ(FullPath("C:\\x", "\\\\server\\share\\a\\..\\b.dll"), "\\\\server\\share\\b.dll");
    EXPECT_EQ(FullPath("C:\\x", "//server/share/../../c"), "\\\\server\\share\\c");
    EXPECT_EQ(FullPath("C:\\x", "\\\\server"), "");
}

TEST(WinPath, TrailingDotStarAlsoMatchesNamesWithoutExtension) {
    EXPECT_TRUE(WildcardMatch("*.*", "readme"));
    EXPECT_TRUE(WildcardMatch("*.*", "a.b"));
    EXPECT_FALSE(WildcardMatch("*.dll", "readme"));
}

}  // namespace
}  // namespace comp_mgr
