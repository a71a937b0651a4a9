// libcomp_mgr.so runs its start-up when loaded and its exit hook when
// unloaded, and a process can load and unload it again and again.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "hosted_test_root.h"

namespace {

using hosted_test::TestRoot;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name)) {
            had_ = true;
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST(HostedLibrary, LoadsAndUnloadsRepeatedlyInOneProcess) {
    TestRoot root;
    root.Write("registry.reg",
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
               "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
    root.Write("drive_c/Vantrel/db/vnt_Compdb.ini", "");
    root.Write("drive_c/Vantrel/bin/vn_app.exe", "");
    ScopedEnv vntRoot("VNT_ROOT", root.path());
    ScopedEnv ui("VNT_UI", "none");
    ScopedEnv exe("VNT_HOST_EXE", "C:\\Vantrel\\bin\\vn_app.exe");
    ScopedEnv now("VNT_NOW", "2006-12-04 15:04:33");

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        void* library = dlopen(COMP_MGR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, library) << dlerror();
        using CountFn = int (*)(int);
        auto count = reinterpret_cast<CountFn>(dlsym(library, "iGetCatalogCount"));
        ASSERT_NE(nullptr, count);
        EXPECT_GE(count(0), 0);  // the application object was made at load
        EXPECT_EQ(-1, count(7));
        ASSERT_EQ(0, dlclose(library));
        // Really gone: asking for it without loading finds nothing.
        void* still = dlopen(COMP_MGR_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
        EXPECT_EQ(nullptr, still);
        if (still) dlclose(still);
    }
    // The registry file was read and is still a registry file.
    EXPECT_EQ(0u, root.Read("registry.reg").find("REGEDIT4\r\n"));
}

}  // namespace
