// The in-memory store's replacement: pieces, backups, and the reuse of a
// dropped backup's memory for later content.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_files.h"

namespace comp_mgr {
namespace {

TEST(MemoryFiles, ReplacementsKeepExactContentsWhileReusingDroppedBackups) {
    MemoryFiles files;
    files.MakeFolder("C:\\Db");
    const std::string path = "C:\\Db\\Cat.ini";
    const std::string backup = "C:\\Db\\Cat.bak";
    // Shrinking and growing contents: memory handed on from a longer file
    // must never show through in a shorter one.
    const std::string contents[] = {
        std::string(5000, 'a'), std::string(7000, 'b'), "c", std::string(6000, 'd'), "", "ff", std::string(9000, 'g')};
    std::string previous;
    bool first = true;
    for (const std::string& content : contents) {
        ASSERT_TRUE(files.ReplaceWith(
            path,
            [&content](ContentSink& sink) {
                sink.Write(std::string_view(content).substr(0, content.size() / 2));
                sink.Write(std::string_view(content).substr(content.size() / 2));
            },
            backup));
        EXPECT_EQ(files.Get(path), content);
        if (!first) {
            EXPECT_EQ(files.Get(backup), previous);
        }
        EXPECT_EQ(files.Exists(backup), !first);
        previous = content;
        first = false;
    }

    // Without a backup name the old backup stays as it is.
    ASSERT_TRUE(files.Replace(path, "plain", ""));
    EXPECT_EQ(files.Get(path), "plain");
    EXPECT_EQ(files.Get(backup), "ff");
    // A backup under the file's own name ends as the new file.
    ASSERT_TRUE(files.Replace(path, "self", "c:\\db\\CAT.INI"));
    EXPECT_EQ(files.Get(path), "self");
    EXPECT_EQ(files.Get(backup), "ff");

    files.SetReadOnlyFolder("C:\\Db");
    bool produced = false;
    EXPECT_FALSE(files.ReplaceWith(
        path, [&](ContentSink&) { produced = true; }, backup));
    EXPECT_FALSE(produced);
    EXPECT_EQ(files.Get(path), "self");
}

}  // namespace
}  // namespace comp_mgr
