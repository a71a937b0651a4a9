// A stand-in for libcomp_mgr.so that the tool's tests load: a tiny fixed
// catalog, every call written to the file named by COMP_MGR_FAKE_LOG, and a
// few deliberate faults (a write past the caller's buffer) that the real
// library cannot be made to commit. Built twice: once with every export of
// the public header, once (FAKE_REDUCED) without the catalog queries.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "comp_mgr/comp_mgr.h"

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("COMP_MGR_FAKE_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Arg(const char* text) {
    return text ? "[" + std::string(text) + "]" : "NULL";
}

struct LoadLog {
    LoadLog() {
        std::string line = "load";
        for (const char* name : {"VNT_ROOT", "VNT_HOST_EXE", "VNT_CWD", "VNT_UI"})
            line += std::string(" ") + name + "=" + Arg(std::getenv(name));
        Log(line);
    }
    ~LoadLog() { Log("unload"); }
} loadLog;

bool modified = false;

// The library's rule: shorter than the size -> stored with NUL, size set; else cut, size kept.
bool TextOut(const std::string& text, unsigned int* size, char* buffer) {
    if (text.size() < *size) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        *size = static_cast<unsigned int>(text.size());
        return true;
    }
    std::memcpy(buffer, text.data(), *size);
    return false;
}

#ifndef FAKE_REDUCED
bool Fill(const std::string& name, comp_mgr::CatalogEntry* e) {
    *e = comp_mgr::CatalogEntry();
    if (name == "VntInstallation_1") {
        e->DisplayName = "Vantrel IDE";
        e->ProgLocation = "C:\\Ide\\bin\\vn_app.exe";
        e->LastAccessDate = "(I) Monday, December 04, 2006 15:04:33";
        e->Status = 0x11;
        e->SdkVersion = 3.0;
        e->CpuSupport.push_back("alpha");
        e->CpuSupport.push_back("beta");
        e->PlugInLst_GrpName.push_back("PlugIn_1");
        e->PlugInLst_GrpName.push_back("PlugIn_9");
        e->Sku = "A,B";
        e->extraProperties.set("Registration", "R1,R2");
        e->extraProperties.set("Family_InstDate", "x=y");
        return true;
    }
    if (name == "PlugIn_1") {
        e->DisplayName = "Scope \"Pro\"";
        e->ProgLocation = "C:\\P\\scope.dll";
        e->Status = 0x0B;
        e->SdkVersion = 2.5;
        e->CpuSupport.push_back("alpha");
        e->PlugInLst_GrpName.push_back("Scopes");
        return true;
    }
    if (name == "PlugIn_2") {
        e->DisplayName = "Viewer";
        e->ProgLocation = "C:\\P\\viewer.ocx";
        e->Status = 0x12;
        e->SdkVersion = 10.125;
        return true;
    }
    return false;
}

const char* const kInstallations[] = {"VntInstallation_1"};
const char* const kPlugIns[] = {"PlugIn_1", "PlugIn_2"};
#endif

}  // namespace

FAKE_API int InstallVNT(void) {
    Log("InstallVNT");
    return 0;
}

FAKE_API int bAbortDbUpdate(void) {
    Log("bAbortDbUpdate");
    return 1;
}

FAKE_API int bGetDbUpdateFlag(int* changes) {
    Log("bGetDbUpdateFlag");
    if (!modified) return 0;
    *changes = 0x900;
    return 1;
}

#ifndef FAKE_REDUCED
// What the real library tells its host outside a call (COMP_MGR_REPORT):
// COMP_MGR_FAKE_CALL_REPORT during a count, COMP_MGR_FAKE_UNLOAD_REPORT at unload.
namespace {

void ReportFrom(const char* setting) {
    if (const char* text = std::getenv(setting)) setenv("COMP_MGR_REPORT", text, 1);
}

struct UnloadReport {
    ~UnloadReport() { ReportFrom("COMP_MGR_FAKE_UNLOAD_REPORT"); }
} unloadReport;

}  // namespace

FAKE_API int iGetCatalogCount(int kind) {
    ReportFrom("COMP_MGR_FAKE_CALL_REPORT");
    Log("iGetCatalogCount " + std::to_string(kind));
    return kind == 0 ? 1 : kind == 1 ? 2 : -1;
}

FAKE_API int bGetCatalogByNdx(int kind, int index, unsigned int* size, char* sectionName,
                              comp_mgr::CatalogEntry* entry) {
    Log("bGetCatalogByNdx " + std::to_string(kind) + " " + std::to_string(index) + (entry ? "" : " NULLENTRY"));
    if (!size || !sectionName || !entry) return 0;
    std::string name;
    if (kind == 0 && index == 0) name = kInstallations[0];
    if (kind == 1 && (index == 0 || index == 1)) name = kPlugIns[index];
    if (name.empty() || !Fill(name, entry)) return 0;
    return TextOut(name, size, sectionName) ? 1 : 0;
}

FAKE_API int bGetCatalogByKey(const char* sectionName, comp_mgr::CatalogEntry** entry) {
    Log("bGetCatalogByKey " + Arg(sectionName) + (!entry ? " NULLADDR" : !*entry ? " NULLENTRY" : ""));
    if (!sectionName || !entry || !*entry) return 0;
    return Fill(sectionName, *entry) ? 1 : 0;
}
#endif

FAKE_API int bInstallVNT(const char* progLocation, const char* sdkVersion, const char* cpuSupport, const char* sku,
                         const char* displayName, const char* folder, const char* registration) {
    Log("bInstallVNT " + Arg(progLocation) + " " + Arg(sdkVersion) + " " + Arg(cpuSupport) + " " + Arg(sku) + " " +
        Arg(displayName) + " " + Arg(folder) + " " + Arg(registration));
    modified = true;
    return progLocation && *progLocation ? 1 : 0;
}

FAKE_API int bUpdateVNT(const char* progLocation, const char* sdkVersion, const char* oldSku, const char* newSku,
                        const char* displayName) {
    Log("bUpdateVNT " + Arg(progLocation) + " " + Arg(sdkVersion) + " " + Arg(oldSku) + " " + Arg(newSku) + " " +
        Arg(displayName));
    return 0;
}

// "overflow" writes one byte past the capacity; "unterminated" stores a short
// text without its NUL; anything else names VntInstallation_3; NULL fails.
FAKE_API int bGetKeyVNT(const char* progLocation, const char* sdkVersion, unsigned int* size, char* sectionName) {
    Log("bGetKeyVNT " + Arg(progLocation) + " " + Arg(sdkVersion) + " " + (size ? std::to_string(*size) : "NULL"));
    if (!progLocation || !size || !sectionName) return 0;
    if (std::strcmp(progLocation, "overflow") == 0) {
        std::memset(sectionName, 'X', *size + 1u);
        return 0;
    }
    if (std::strcmp(progLocation, "unterminated") == 0) {
        if (*size >= 3) std::memcpy(sectionName, "abc", 3);
        return 1;
    }
    return TextOut("VntInstallation_3", size, sectionName) ? 1 : 0;
}

FAKE_API int bPrepareVNT(const char* sectionName) {
    Log("bPrepareVNT " + Arg(sectionName));
    return sectionName && std::strcmp(sectionName, "VntInstallation_1") == 0 ? 1 : 0;
}

FAKE_API int bSetupVNT(const char* progLocation, const char* sdkVersion) {
    Log("bSetupVNT " + Arg(progLocation) + " " + Arg(sdkVersion));
    return progLocation && sdkVersion ? 1 : 0;
}

FAKE_API int SetupVNT(const char* progLocation, const char* sdkVersion) {
    Log("SetupVNT " + Arg(progLocation) + " " + Arg(sdkVersion));
    return 0;
}

FAKE_API int bLinkPlugIns(const char* installationName, const char* plugInName, int mode) {
    Log("bLinkPlugIns " + Arg(installationName) + " " + Arg(plugInName) + " " + std::to_string(mode));
    modified = true;
    return mode == 1 ? 1 : 0;
}

FAKE_API int iDetectNewPlugIns(int mode) {
    Log("iDetectNewPlugIns " + std::to_string(mode));
    return mode == 2 ? 4 : 0;
}

FAKE_API void vUnRegAllPlgN(void) {
    Log("vUnRegAllPlgN");
}
