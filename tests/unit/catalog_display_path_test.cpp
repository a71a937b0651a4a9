// The display form of program locations and how often the file system is
// asked for it.
#include "catalog/host_paths.h"
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

class CatalogDisplayPathTest : public CatalogTest {
protected:
    std::string Shown(const std::string& location) {
        CatalogEntry entry;
        entry.ProgLocation = location;
        return db->DisplayPath(entry);
    }
};

TEST_F(CatalogDisplayPathTest, ComponentsAreShownAsTheFileSystemNamesThem) {
    machine.files.Put("C:\\Program Files\\Vantrel Tools\\Bin\\Vn_App.exe", "MZ");
    LoadFile(HostSection());
    // The drive letter stays as written, as _fullpath leaves it.
    EXPECT_EQ(Shown("c:\\program files\\vantrel tools\\bin\\vn_app.exe"),
              "c:\\Program Files\\Vantrel Tools\\Bin\\Vn_App.exe");
    // Relative locations are taken from the current directory, with . and ..
    EXPECT_EQ(Shown("..\\BIN\\.\\vn_app.exe"), "C:\\Vantrel\\bin\\vn_app.exe");
    EXPECT_EQ(Shown("c:/program files//vantrel tools/bin/vn_app.exe"),
              "c:\\Program Files\\Vantrel Tools\\Bin\\Vn_App.exe");
}

TEST_F(CatalogDisplayPathTest, MissingComponentsStandAsWritten) {
    machine.files.MakeFolder("C:\\Tools");
    LoadFile(HostSection());
    EXPECT_EQ(Shown("c:\\tools\\Gone\\Away.dll"), "c:\\Tools\\Gone\\Away.dll");
    EXPECT_EQ(Shown("D:\\x.dll"), "D:\\x.dll");
}

TEST_F(CatalogDisplayPathTest, LocationThatCannotBeMadeAbsoluteIsKept) {
    LoadFile(HostSection());
    const std::string tooLong = "C:\\" + std::string(300, 'a') + "\\vn_app.exe";
    EXPECT_EQ(Shown(tooLong), tooLong);
}

TEST_F(CatalogDisplayPathTest, EachPathIsAskedAtMostOncePerRun) {
    std::string content = "[VntInstallation_1]\r\nProgLocation=D:\\Nowhere\\vn_app.exe\r\n";
    for (int i = 1; i <= 50; ++i) {
        std::string location = "C:\\Vantrel\\plugins\\p" + std::to_string(i) + ".dll";
        machine.files.Put(location, "MZ");
        content += "[PlugIn_" + std::to_string(i) + "]\r\nProgLocation=" + location + "\r\n";
    }
    const int before = machine.files.displayNameCalls();
    ComponentDatabase& d = LoadFile(content);
    // Host not in the catalog: only the entry that could be a vn_app.exe was
    // shown: D:\Nowhere and its file.
    EXPECT_EQ(machine.files.displayNameCalls() - before, 2);
    // Showing every entry asks C:\Vantrel, C:\Vantrel\plugins and the 50 files once.
    for (const auto& item : d.entries()) d.DisplayPath(item.value());
    const int asked = machine.files.displayNameCalls() - before;
    EXPECT_EQ(asked, 2 + 50 + 2);
    for (const auto& item : d.entries()) d.DisplayPath(item.value());
    EXPECT_EQ(machine.files.displayNameCalls() - before, asked);
}

TEST_F(CatalogDisplayPathTest, TheFolderFormIsTheDisplayPathCutBeforeItsLastBackslashWithoutAskingForTheFile) {
    machine.files.Put("C:\\Program Files\\Vantrel Tools\\Bin\\Vn_App.exe", "MZ");
    machine.files.Put("C:\\Root.dll", "MZ");
    machine.files.MakeFolder("C:\\Tools");
    LoadFile(HostSection());
    const std::string locations[] = {
        "c:\\program files\\vantrel tools\\bin\\vn_app.exe",  // components in their shown case
        "c:\\ROOT.DLL",                                       // a file at the drive's root
        "c:\\tools\\Gone\\Away.dll",                          // missing parts as written
        "c:\\tools\\",                                        // a folder, ending in a separator
        "..\\BIN\\.\\vn_app.exe",                             // relative
        "\\\\server\\share\\p.dll",                           // no drive
        "C:\\" + std::string(300, 'a') + "\\vn_app.exe",      // cannot be made absolute
        "",
    };
    for (const std::string& location : locations) {
        CatalogEntry entry;
        entry.ProgLocation = location;
        std::string expected = db->DisplayPath(entry);
        const std::size_t slash = expected.rfind('\\');
        if (slash != std::string::npos && slash > 0) expected.erase(slash);
        EXPECT_EQ(db->DisplayFolder(entry), expected) << location;
    }
    // Only folders are asked about: a new file in a known folder costs nothing.
    machine.files.Put("C:\\Program Files\\Vantrel Tools\\Bin\\new.dll", "MZ");
    const int before = machine.files.displayNameCalls();
    CatalogEntry entry;
    entry.ProgLocation = "c:\\program files\\vantrel tools\\bin\\new.dll";
    EXPECT_EQ(db->DisplayFolder(entry), "c:\\Program Files\\Vantrel Tools\\Bin");
    EXPECT_EQ(machine.files.displayNameCalls(), before);
}

TEST_F(CatalogDisplayPathTest, OnlyLocationsThatCanBeShownAsTheHostAreAsked) {
    EXPECT_TRUE(CouldNameHostProgram("C:\\Ide\\bin\\vn_app.exe"));
    EXPECT_TRUE(CouldNameHostProgram("C:\\Ide\\bin\\VN_APP"));
    EXPECT_TRUE(CouldNameHostProgram("C:\\Ide\\bin\\vn_app.exe.lnk"));    // shortcuts hide their extension
    EXPECT_TRUE(CouldNameHostProgram("C:\\PROGRA~1\\IDE\\VNAPP~1.EXE"));  // a short alias of any name
    EXPECT_TRUE(CouldNameHostProgram("C:vn_app.exe"));                    // relative to C:'s directory
    EXPECT_TRUE(CouldNameHostProgram("C:\\Ide\\vn_app.exe\\sub\\.."));    // the folder itself
    EXPECT_TRUE(CouldNameHostProgram("C:\\Ide\\bin\\"));
    EXPECT_FALSE(CouldNameHostProgram("C:\\Ide\\plugins\\scope.dll"));
    EXPECT_FALSE(CouldNameHostProgram("C:\\Ide\\bin\\vn_ap.exe"));
    EXPECT_FALSE(CouldNameHostProgram("vn_ap"));
}

TEST_F(CatalogDisplayPathTest, LocationEndingInDotsIsStillCheckedAsTheHost) {
    // Only the absolute form shows that this names C:\Vantrel\bin\vn_app.exe.
    LoadFile("[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\\sub\\..\r\n");
    EXPECT_TRUE(pendingMessage.empty()) << pendingMessage;
}

TEST_F(CatalogDisplayPathTest, DisplayNameWithoutExtensionStillFindsTheHost) {
    // The shell may hide the extension; a location written without one is
    // shown as written when nothing answers for it.
    LoadFile("[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app\r\n");
    EXPECT_TRUE(pendingMessage.empty());
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr
