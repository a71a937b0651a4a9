#include "machine_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "options.h"

namespace comp_mgr_tool {

namespace fs = std::filesystem;

namespace {

// The registry of a fresh machine, as the library writes it back: every key
// with its parents, depth first, CR LF line ends.
const char kFreshRegistry[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
    "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n"
    "\r\n";

bool WriteNewFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

std::string EffectiveRoot(bool hasRoot, const std::string& root) {
    if (hasRoot) return root;
    const char* fromEnvironment = std::getenv("VNT_ROOT");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : "./vnt-machine";
}

bool IsMachineRoot(const std::string& root, std::string* reason) {
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        *reason = "no machine at " + root + " (no such folder); comp_mgr --root " + root + " init creates one";
        return false;
    }
    if (!fs::is_regular_file(fs::path(root) / "registry.reg", error)) {
        *reason =
            "no machine at " + root + " (it holds no registry.reg); comp_mgr --root " + root + " init creates one";
        return false;
    }
    return true;
}

int InitMachine(const std::string& root, std::ostream& out, std::ostream& err) {
    const fs::path base(root);
    std::error_code error;
    if (fs::exists(base / "registry.reg", error)) {
        err << "comp_mgr: " << root << " already holds a machine; nothing was changed\n";
        return kExitRefused;
    }
    const fs::path database = base / "drive_c" / "Vantrel" / "db";
    fs::create_directories(database, error);
    if (!error) fs::create_directories(base / "drive_c" / "Vantrel" / "bin", error);
    if (!error) fs::create_directories(base / "log", error);
    if (error) {
        err << "comp_mgr: cannot create the machine at " << root << ": " << error.message() << "\n";
        return kExitLibrary;
    }
    // The catalog first, so that a machine with a registry always has one.
    if (!WriteNewFile(database / "vnt_Compdb.ini", "") || !WriteNewFile(base / "registry.reg", kFreshRegistry)) {
        err << "comp_mgr: cannot write the machine at " << root << "\n";
        return kExitLibrary;
    }
    out << "a fresh machine at " << root << ": catalog C:\\Vantrel\\db\\vnt_Compdb.ini (empty), host program "
        << "C:\\Vantrel\\bin\\vn_app.exe\n";
    return kExitOk;
}

}  // namespace comp_mgr_tool
