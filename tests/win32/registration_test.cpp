// Plug-in servers registered by comp_mgr.dll as a host loads it: the fixture
// server, copied under several names into a scratch tree, logs every call of
// its self-registration exports (own path and current directory) to the file
// named by VNT_PLUGIN_LOG and writes or deletes its class key under
// HKCR\CLSID. The plug-ins the registry scan finds are announced under
// HKLM\SOFTWARE\KOVRA\Vantrel with the class id the fixture uses for its
// file name, so an unregister call visibly removes what the scan read.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "comp_mgr/comp_mgr.h"
#include "fixture_class_id.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::DeleteTree;
using win32_test::Export;
using win32_test::ReadFileBytes;
using win32_test::ScopedEnv;
using win32_test::ScratchFolder;
using win32_test::WriteFileBytes;
using Lines = std::vector<std::string>;

const char kManagerKey[] = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";
const char kPluginsKey[] = "SOFTWARE\\KOVRA\\Vantrel\\Plugins";
const char kCommandTools[] = "SOFTWARE\\KOVRA\\Vantrel\\Plugins\\Command Tools\\";

std::string ProgramFolder() {
    char exe[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    return path.substr(0, path.rfind('\\'));
}

std::string ClassKey(const std::string& server) {
    return "SOFTWARE\\Classes\\CLSID\\" + fixture::ClassIdForFile(server);
}

// The default value of HKLM\<key>\InprocServer32, or "<none>".
std::string InprocServer(const std::string& classKey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (classKey + "\\InprocServer32").c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<none>";
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(value) : "<none>";
}

void SetString(const std::string& keyPath, const char* name, const std::string& value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr))
        << keyPath;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

std::string CurrentDirectory() {
    char path[1024] = {};
    DWORD n = GetCurrentDirectoryA(sizeof path, path);
    return std::string(path, n < sizeof path ? n : 0);
}

// The Status of a section of a saved catalog, -1 when it is not there.
int SavedStatus(const std::string& saved, const std::string& section) {
    std::size_t at = saved.find("[" + section + "]");
    if (at == std::string::npos) return -1;
    at = saved.find("\r\nStatus", at);
    if (at == std::string::npos) return -1;
    at = saved.find('=', at);
    return std::atoi(saved.c_str() + at + 1);
}

struct Exports {
    decltype(&::bPrepareVNT) prepare = nullptr;
    decltype(&::iDetectNewPlugIns) detect = nullptr;
    decltype(&::vUnRegAllPlgN) unregisterAll = nullptr;
    decltype(&::iGetCatalogCount) count = nullptr;
};

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every name below is 8.3-shaped and the base is in its short form,
        // so the path the scan reads (and shortens) is the one in the catalog.
        char shortBase[MAX_PATH + 1] = {};
        DWORD n = GetShortPathNameA(scratch_.path().c_str(), shortBase, MAX_PATH);
        base_ = n > 0 && n < MAX_PATH ? std::string(shortBase, n) : scratch_.path();

        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kManagerKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        char old[1024];
        DWORD size = sizeof old;
        hadTarget_ =
            RegQueryValueExA(key, "target", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        if (hadTarget_) oldTarget_.assign(old, size ? size - 1 : 0);
        RegCloseKey(key);
        SetString(kManagerKey, "target", base_);
        DeleteTree(HKEY_LOCAL_MACHINE, kPluginsKey);

        // The fixture reads its log's name through the C runtime, whose copy
        // of the environment SetEnvironmentVariableA does not reach.
        logPath_ = base_ + "\\plugin.log";
        _putenv(("VNT_PLUGIN_LOG=" + logPath_).c_str());
        CreateDirectoryA(Path("work").c_str(), nullptr);
        SetCurrentDirectoryA(Path("work").c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(ProgramFolder().c_str());
        _putenv("VNT_PLUGIN_LOG=");
        DeleteTree(HKEY_LOCAL_MACHINE, kPluginsKey);
        for (const std::string& server : servers_) DeleteTree(HKEY_LOCAL_MACHINE, ClassKey(server));
        if (hadTarget_) {
            SetString(kManagerKey, "target", oldTarget_);
        } else {
            DeleteTree(HKEY_LOCAL_MACHINE, kManagerKey);
        }
    }

    std::string Path(const std::string& relative) const { return base_ + "\\" + relative; }
    std::string Folder(const std::string& relative) const {
        std::string path = Path(relative);
        return path.substr(0, path.rfind('\\'));
    }
    // Creates every folder of `relative` below the base, the last one too
    // when `relative` ends in a backslash.
    void MakeFolders(const std::string& relative) const {
        for (std::size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1))
            CreateDirectoryA(Path(relative.substr(0, at)).c_str(), nullptr);
    }
    // Copies a fixture library from the test program's folder.
    void CopyFixture(const char* fixture, const std::string& relative) {
        MakeFolders(relative);
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\" + fixture).c_str(), Path(relative).c_str(), FALSE)) << relative;
        servers_.push_back(Path(relative));
    }
    void WriteFile(const std::string& relative, const std::string& content) const {
        MakeFolders(relative);
        WriteFileBytes(Path(relative), content);
    }
    // The class key the fixture's DllRegisterServer would write.
    void Register(const std::string& relative) {
        SetString(ClassKey(Path(relative)) + "\\InprocServer32", nullptr, Path(relative));
    }
    // A plug-in the registry announces (found by the scan, so "registered").
    void Announce(const std::string& name, const std::string& relative) {
        SetString(kCommandTools + name, "CLSID", fixture::ClassIdForFile(Path(relative)));
        Register(relative);
    }
    std::string Installation(int n, const std::string& root, int status, const std::string& links) {
        WriteFile(root + "\\bin\\vn_app.exe", "program");
        return "[VntInstallation_" + std::to_string(n) + "]\r\nDisplayName      =Vantrel " + std::to_string(n) +
               "\r\nProgLocation     =" + Path(root + "\\bin\\vn_app.exe") +
               "\r\nStatus           =" + std::to_string(status) +
               "\r\nSdkVersion       =3.0\r\nCpuSupport       =*\r\nPlugInLst_GrpName=" + links + "\r\n\r\n";
    }
    std::string PlugIn(int n, const std::string& name, const std::string& relative) const {
        return "[PlugIn_" + std::to_string(n) + "]\r\nDisplayName      =" + name +
               "\r\nProgLocation     =" + Path(relative) +
               "\r\nStatus           =16\r\nSdkVersion       =1.0\r\nCpuSupport       =*\r\n\r\n";
    }

    Lines Logged() const {
        Lines lines;
        std::string text = ReadFileBytes(logPath_);
        if (text == "<missing>") return lines;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    // The line the fixture logs for a call on a server below the base.
    std::string Line(const std::string& verb, const std::string& relative) const {
        return verb + " " + Path(relative) + " cwd=" + Folder(relative);
    }

    // Loads comp_mgr.dll (start-up: load, scan, repairs), runs `use` and
    // frees it (renumbering and the save).
    void WithLibrary(const std::function<void(const Exports&)>& use) {
        HMODULE library = LoadLibraryA((ProgramFolder() + "\\comp_mgr.dll").c_str());
        ASSERT_NE(nullptr, library);
        Exports e;
        e.prepare = Export<decltype(e.prepare)>(library, "bPrepareVNT");
        e.detect = Export<decltype(e.detect)>(library, "iDetectNewPlugIns");
        e.unregisterAll = Export<decltype(e.unregisterAll)>(library, "vUnRegAllPlgN");
        e.count = Export<decltype(e.count)>(library, "iGetCatalogCount");
        if (e.prepare && e.detect && e.unregisterAll && e.count) use(e);
        FreeLibrary(library);
        ASSERT_TRUE(e.prepare && e.detect && e.unregisterAll && e.count);
    }

    ScratchFolder scratch_;
    std::string base_;
    ScopedEnv ui_{"VNT_UI", "none"};
    ScopedEnv logDir_{"VNT_LOG_DIR", (scratch_ / "log").c_str()};
    std::string logPath_;
    std::vector<std::string> servers_;
    bool hadTarget_ = false;
    std::string oldTarget_;
};

TEST_F(RegistrationTest, SwitchingInstallationsUnregistersThenRegistersThenSweepsTheObsoleteFolder) {
    CopyFixture("fixture_plugin.dll", "p\\one.dll");
    CopyFixture("fixture_plugin.dll", "p\\two.ocx");
    CopyFixture("fixture_plugin.dll", "p\\three.dll");
    CopyFixture("fixture_plugin.dll", "q\\four.dll");
    WriteFile("p\\text.dll", "not a library\r\n");
    // The new installation's obsolete folder: controls go before libraries,
    // whatever the letter case; neither a folder named like a library nor a
    // text file nor a library without the exports is called.
    CopyFixture("fixture_plugin.dll", "r2\\plugins\\obsolete\\b.dll");
    CopyFixture("fixture_plugin.dll", "r2\\plugins\\obsolete\\C.DLL");
    CopyFixture("fixture_plugin.dll", "r2\\plugins\\obsolete\\d.ocx");
    CopyFixture("fixture_plugin.dll", "r2\\plugins\\obsolete\\a.ocx");
    CopyFixture("fixture_no_export.dll", "r2\\plugins\\obsolete\\none.dll");
    WriteFile("r2\\plugins\\obsolete\\notes.dll", "text\r\n");
    MakeFolders("r2\\plugins\\obsolete\\x.dll\\");
    // The old installation's obsolete folder is not swept.
    CopyFixture("fixture_plugin.dll", "r1\\plugins\\obsolete\\old.dll");

    Announce("One", "p\\one.dll");
    Announce("Two", "p\\two.ocx");
    Register("r2\\plugins\\obsolete\\a.ocx");  // so that its key is there to vanish
    const std::string database = Installation(1, "r1\\ide", 17, "PlugIn_1,PlugIn_2") +
                                 Installation(2, "r2\\ide", 16, "PlugIn_2,PlugIn_3,PlugIn_4,PlugIn_5") +
                                 PlugIn(1, "One", "p\\one.dll") + PlugIn(2, "Two", "p\\two.ocx") +
                                 PlugIn(3, "Three", "p\\three.dll") + PlugIn(4, "One", "q\\four.dll") +
                                 PlugIn(5, "Text", "p\\text.dll");
    WriteFileBytes(Path("vnt_Compdb.ini"), database);

    WithLibrary([this](const Exports& e) {
        ASSERT_EQ(5, e.count(kCompMgrPlugIn));  // the scan made no new records
        EXPECT_EQ(1, e.prepare("VntInstallation_2"));
        EXPECT_EQ(Path("work"), CurrentDirectory());
        // Once more, now current: nothing left to register, the sweep again.
        EXPECT_EQ(1, e.prepare("VntInstallation_2"));
        EXPECT_EQ(Path("work"), CurrentDirectory());
        EXPECT_EQ(0, e.prepare("PlugIn_1"));
    });

    const Lines sweep = {
        Line("unregister", "r2\\plugins\\obsolete\\a.ocx"), Line("unregister", "r2\\plugins\\obsolete\\d.ocx"),
        Line("unregister", "r2\\plugins\\obsolete\\b.dll"), Line("unregister", "r2\\plugins\\obsolete\\C.DLL")};
    // The text file named like a library is in the register list too, but
    // does not load. The catalog's registered marks come from the scan at
    // load and are not changed by registering, so the second preparation
    // repeats the same calls.
    Lines round = {Line("unregister", "p\\one.dll"), Line("register", "p\\three.dll"), Line("register", "q\\four.dll")};
    round.insert(round.end(), sweep.begin(), sweep.end());
    Lines expected = round;
    expected.insert(expected.end(), round.begin(), round.end());
    EXPECT_EQ(expected, Logged());

    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("p\\one.dll"))));
    EXPECT_EQ(Path("p\\two.ocx"), InprocServer(ClassKey(Path("p\\two.ocx"))));
    EXPECT_EQ(Path("p\\three.dll"), InprocServer(ClassKey(Path("p\\three.dll"))));
    EXPECT_EQ(Path("q\\four.dll"), InprocServer(ClassKey(Path("q\\four.dll"))));
    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("r2\\plugins\\obsolete\\a.ocx"))));

    // The switch is saved: the second installation is the current one.
    const std::string saved = ReadFileBytes(Path("vnt_Compdb.ini"));
    EXPECT_EQ(16, SavedStatus(saved, "VntInstallation_1")) << saved;
    EXPECT_EQ(17, SavedStatus(saved, "VntInstallation_2")) << saved;
}

TEST_F(RegistrationTest, NewPlugInsAreCountedThenTheirServersUnregisteredOncePerFile) {
    CopyFixture("fixture_plugin.dll", "n\\new.dll");
    CopyFixture("fixture_plugin.dll", "n\\ctl.ocx");
    CopyFixture("fixture_no_export.dll", "n\\none.dll");
    Announce("NewA", "n\\new.dll");
    Announce("NewB", "n\\new.dll");  // the same server under a second name
    Announce("Ctl", "n\\ctl.ocx");
    Announce("None", "n\\none.dll");
    WriteFileBytes(Path("vnt_Compdb.ini"), Installation(1, "r1\\ide", 17, ""));

    WithLibrary([this](const Exports& e) {
        EXPECT_EQ(4, e.count(kCompMgrPlugIn));
        EXPECT_EQ(4, e.detect(2));
        EXPECT_TRUE(Logged().empty());
        EXPECT_EQ(0, e.detect(1));
        EXPECT_EQ(Path("work"), CurrentDirectory());
        EXPECT_EQ(0, e.detect(2));  // consumed
    });
    // Registry order: Ctl, NewA, NewB, None.
    EXPECT_EQ((Lines{Line("unregister", "n\\ctl.ocx"), Line("unregister", "n\\new.dll")}), Logged());
    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("n\\new.dll"))));
    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("n\\ctl.ocx"))));
    // A server without the export keeps its registration.
    EXPECT_EQ(Path("n\\none.dll"), InprocServer(ClassKey(Path("n\\none.dll"))));
}

TEST_F(RegistrationTest, UnregisteringAllCallsEachFoundServerOnceAndLeavesNoInstallationCurrent) {
    CopyFixture("fixture_plugin.dll", "p\\one.dll");
    CopyFixture("fixture_plugin.dll", "p\\two.ocx");
    CopyFixture("fixture_plugin.dll", "p\\three.dll");
    Announce("One", "p\\one.dll");
    Announce("Uno", "p\\one.dll");  // new in this run, sharing One's server
    Announce("Two", "p\\two.ocx");
    // PlugIn_3 is not announced: not found, so not unregistered.
    WriteFileBytes(Path("vnt_Compdb.ini"), Installation(1, "r1\\ide", 17, "PlugIn_1,PlugIn_2") +
                                               PlugIn(1, "Two", "p\\two.ocx") + PlugIn(2, "One", "p\\one.dll") +
                                               PlugIn(3, "Three", "p\\three.dll"));

    WithLibrary([this](const Exports& e) {
        EXPECT_EQ(1, e.detect(2));
        e.unregisterAll();
        EXPECT_EQ(Path("work"), CurrentDirectory());
        EXPECT_EQ(0, e.detect(2));  // the new plug-in was settled first
    });
    // Catalog order: PlugIn_1 (two.ocx), PlugIn_2 (one.dll), then the new one.
    EXPECT_EQ((Lines{Line("unregister", "p\\two.ocx"), Line("unregister", "p\\one.dll")}), Logged());
    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("p\\one.dll"))));
    EXPECT_EQ("<none>", InprocServer(ClassKey(Path("p\\two.ocx"))));
    const std::string saved = ReadFileBytes(Path("vnt_Compdb.ini"));
    EXPECT_EQ(0, SavedStatus(saved, "VntInstallation_1") & 1) << saved;
    // The new plug-in was linked before the unregistering.
    EXPECT_NE(std::string::npos, saved.find("PlugInLst_GrpName=PlugIn_1,PlugIn_2,PlugIn_4")) << saved;
}

// The catalog check loads each server from its folder and frees it: the
// fixture logs no call, a text file named like a library and a library
// without the self-registration exports are the problems, and nothing is
// saved after bAbortDbUpdate.
TEST_F(RegistrationTest, CatalogCheckLoadsServersWithoutCallingThem) {
    CopyFixture("fixture_plugin.dll", "p\\one.dll");
    CopyFixture("fixture_no_export.dll", "p\\none.dll");
    WriteFile("p\\text.dll", "not a library\r\n");
    const std::string database = Installation(1, "ide", 16, "PlugIn_1,PlugIn_2,PlugIn_3") +
                                 PlugIn(1, "One", "p\\one.dll") + PlugIn(2, "None", "p\\none.dll") +
                                 PlugIn(3, "Text", "p\\text.dll");
    WriteFileBytes(Path("vnt_Compdb.ini"), database);
    WriteFileBytes(Path("vnt_Compdb.bak"), database);

    std::string findings;
    int problems = -2;
    WithLibrary([&](const Exports&) {
        HMODULE library = GetModuleHandleA("comp_mgr.dll");
        auto check = Export<decltype(&::iCheckCatalog)>(library, "iCheckCatalog");
        auto abort = Export<decltype(&::bAbortDbUpdate)>(library, "bAbortDbUpdate");
        ASSERT_TRUE(check && abort);
        std::vector<char> buffer(8192, '\0');
        unsigned int size = static_cast<unsigned int>(buffer.size());
        problems = check(&size, buffer.data());
        findings.assign(buffer.data(), size);
        EXPECT_EQ(Path("work"), CurrentDirectory());
        abort();
    });
    EXPECT_EQ(problems, 2) << findings;
    // The test program is no catalogued installation, so the load leaves its
    // message, told as a note; the problems are the two servers.
    std::string problemLines;
    for (std::size_t start = 0, end; (end = findings.find('\n', start)) != std::string::npos; start = end + 1)
        if (findings.compare(start, 5, "note|") != 0) problemLines += findings.substr(start, end + 1 - start);
    EXPECT_EQ(problemLines, "problem|server-exports|PlugIn_2|the server " + Path("p\\none.dll") +
                                " lacks DllRegisterServer and DllUnregisterServer, so it cannot (un)register itself\n"
                                "problem|server-load|PlugIn_3|the server " +
                                Path("p\\text.dll") + " does not load\n");
    EXPECT_EQ(Logged(), Lines());
    EXPECT_EQ(ReadFileBytes(Path("vnt_Compdb.ini")), database);
}

}  // namespace
}  // namespace comp_mgr
