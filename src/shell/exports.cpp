// The exported functions: each checks what it was handed and forwards to one
// operation of the catalog or of a service.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "comp_mgr/comp_mgr.h"
#include "services/diagnosis/catalog_check.h"
#include "services/linking/link_explanation.h"
#include "services/records/catalog_copies.h"
#include "shell/export_guard.h"
#include "support/text_output.h"

using comp_mgr::ComponentManagerApp;
using comp_mgr::CopyTextOut;
using comp_mgr::Guarded;

extern "C" {

int InstallVNT(void) {
    return Guarded(0, [](ComponentManagerApp&) { return 0; });
}

int bAbortDbUpdate(void) {
    return Guarded(1, [](ComponentManagerApp& app) {
        app.AbortUpdate();
        return 1;
    });
}

int bGetDbUpdateFlag(int* changes) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        const std::uint32_t flags = app.database().flags();
        if ((flags & comp_mgr::kFlagModified) == 0) return 0;
        if (changes) *changes = static_cast<int>(flags & comp_mgr::kFlagChangeKinds);
        return 1;
    });
}

int iGetCatalogCount(int kind) {
    return Guarded(-1, [&](ComponentManagerApp& app) { return app.database().CountByKind(kind); });
}

int bGetCatalogByNdx(int kind, int index, unsigned int* size, char* sectionName, comp_mgr::CatalogEntry* entry) {
    if (!size || !sectionName || !entry) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) {
        std::string name;
        if (!app.database().GetEntryByIndex(kind, index, name, *entry)) return 0;
        return CopyTextOut(name, size, sectionName) ? 1 : 0;
    });
}

int bGetCatalogByKey(const char* sectionName, comp_mgr::CatalogEntry** entry) {
    if (!entry) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) { return app.database().GetEntryByKey(sectionName, *entry); });
}

int bInstallVNT(const char* progLocation, const char* sdkVersion, const char* cpuSupport, const char* sku,
                const char* displayName, const char* folder, const char* registration) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        int result = app.services().records.InstallProduct(progLocation, sdkVersion, cpuSupport, sku, displayName,
                                                           folder, registration);
        app.database().WriteInstallEntry();
        return result;
    });
}

int bUpdateVNT(const char* progLocation, const char* sdkVersion, const char* oldSku, const char* newSku,
               const char* displayName) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        return app.services().records.ReplaceSkuToken(progLocation, sdkVersion, oldSku, newSku, displayName);
    });
}

int bGetKeyVNT(const char* progLocation, const char* sdkVersion, unsigned int* size, char* sectionName) {
    if (!size || !sectionName) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) {
        std::string name;
        if (!app.services().records.FindInstallationKey(progLocation, sdkVersion, &name)) return 0;
        return CopyTextOut(name, size, sectionName) ? 1 : 0;
    });
}

int bPrepareVNT(const char* sectionName) {
    if (!sectionName) return 0;
    return Guarded(
        0, [&](ComponentManagerApp& app) { return app.services().registration.PrepareInstallation(sectionName); });
}

int bSetupVNT(const char* progLocation, const char* sdkVersion) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        app.services().setup.RewriteClassKeys();
        app.services().setup.WriteToolVersionsReport(progLocation ? progLocation : "");
        // As any host would: the installation's section, then its preparation.
        unsigned int size = 260;
        char sectionName[260];
        if (!bGetKeyVNT(progLocation, sdkVersion, &size, sectionName)) return 0;
        return bPrepareVNT(sectionName);
    });
}

int SetupVNT(const char* progLocation, const char* sdkVersion) {
    return bSetupVNT(progLocation, sdkVersion);
}

int bLinkPlugIns(const char* installationName, const char* plugInName, int mode) {
    if (!installationName || !plugInName) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) {
        // Modes out of range are the linker's to refuse.
        return app.services().linker.LinkPlugIn(installationName, plugInName, static_cast<comp_mgr::LinkMode>(mode),
                                                comp_mgr::SameName::kMakeRoom);
    });
}

int iDetectNewPlugIns(int mode) {
    return Guarded(-1, [&](ComponentManagerApp& app) {
        app.ShowPendingMessage();
        return app.services().detection.DetectNewPlugIns(static_cast<comp_mgr::DetectionMode>(mode));
    });
}

void vUnRegAllPlgN(void) {
    Guarded(0, [](ComponentManagerApp& app) {
        app.ShowPendingMessage();
        app.services().detection.DetectNewPlugIns(comp_mgr::DetectionMode::kLink);
        app.services().exitRepairs.UnregisterAllPlugIns();
        return 0;
    });
}

int bQueryFileVersion(const char* path, const char* subBlock, unsigned int* size, char* buffer) {
    if (!path || !subBlock || !size || !buffer) return 0;
    try {
        // No catalog is needed, so the start-up (and its messages) is not run.
        const comp_mgr::Platform* ports = comp_mgr::library::ProcessPorts();
        if (!ports) return 0;
        comp_mgr::FileVersions& versions = ports->fileVersions;
        const std::uint32_t infoSize = versions.InfoSize(path);
        comp_mgr::VersionBlock block;
        comp_mgr::VersionValue value;
        if (infoSize == 0 || !versions.ReadInfo(path, infoSize, &block) ||
            !versions.QueryValue(block, subBlock, &value)) {
            return 0;
        }
        const std::size_t copied = std::min<std::size_t>(value.bytes.size(), *size);
        std::memcpy(buffer, value.bytes.data(), copied);
        if (copied < *size) buffer[copied] = '\0';
        *size = static_cast<unsigned int>(value.bytes.size());
        return 1;
    } catch (...) {
        return 0;
    }
}

int bExplainLink(const char* installationName, const char* plugInName, unsigned int* size, char* buffer) {
    if (!installationName || !plugInName || !size || !buffer) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) {
        const comp_mgr::LinkExplanation explanation = app.services().linker.ExplainLink(installationName, plugInName);
        CopyTextOut(comp_mgr::LinkExplanationText(explanation), size, buffer);  // a cut text is still the answer
        return explanation.check == 1 ? 1 : 0;
    });
}

int iCheckCatalog(unsigned int* size, char* buffer) {
    if (!size || !buffer) return -1;
    return Guarded(-1, [&](ComponentManagerApp& app) {
        comp_mgr::CatalogCheck check(app.database(), app.platform(), app.startupRecord());
        const std::vector<comp_mgr::Finding> findings = check.Run();
        CopyTextOut(comp_mgr::FindingsText(findings), size, buffer);  // a cut text is still the answer
        return comp_mgr::ProblemCount(findings);
    });
}

int iListCatalogCopies(unsigned int* size, char* buffer) {
    if (!size || !buffer) return -1;
    return Guarded(-1, [&](ComponentManagerApp& app) {
        const std::vector<comp_mgr::CatalogCopy> copies =
            comp_mgr::CatalogCopies(app.database(), app.platform()).List();
        CopyTextOut(comp_mgr::CopiesText(copies), size, buffer);
        return static_cast<int>(copies.size());
    });
}

int iCompareCatalogCopy(const char* file, unsigned int* size, char* buffer) {
    if (!size || !buffer) return -1;
    return Guarded(-1, [&](ComponentManagerApp& app) {
        std::vector<comp_mgr::SectionDifference> differences;
        std::string why;
        if (!comp_mgr::CatalogCopies(app.database(), app.platform()).Compare(file ? file : "", &differences, &why)) {
            CopyTextOut(why, size, buffer);
            return -1;
        }
        CopyTextOut(comp_mgr::DifferencesText(differences), size, buffer);
        return static_cast<int>(differences.size());
    });
}

int bRestoreCatalogCopy(const char* file, unsigned int* size, char* buffer) {
    if (!size || !buffer) return 0;
    return Guarded(0, [&](ComponentManagerApp& app) {
        bool changed = false;
        std::string told;
        const bool done =
            comp_mgr::CatalogCopies(app.database(), app.platform()).Restore(file ? file : "", &changed, &told);
        // The catalog in memory is the one the copy replaced: saving it at the
        // unload would undo the restore.
        if (changed) app.AbortUpdate();
        CopyTextOut(told, size, buffer);
        return done ? 1 : 0;
    });
}

int bWebStartup(const char* sectionName, int mode) {
    return Guarded(0, [&](ComponentManagerApp& app) { return app.webSettings().WebStartup(sectionName, mode); });
}

int bWebStartupByVNT(const char* progLocation, const char* sdkVersion) {
    return Guarded(
        0, [&](ComponentManagerApp& app) { return app.webSettings().WebStartupByVnt(progLocation, sdkVersion); });
}

int bWebGetSetting(const char* sectionName, int* autoLaunch, int* frequency, unsigned int* size1, char* text1,
                   unsigned int* size2, char* text2) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        return app.webSettings().WebGetSetting(sectionName, autoLaunch, frequency, size1, text1, size2, text2);
    });
}

int bWebSetSetting(const char* sectionName, int autoLaunch, int frequency, const char* text1, const char* text2) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        return app.webSettings().WebSetSetting(sectionName, autoLaunch, frequency, text1, text2);
    });
}

int bWebUpdate(const char* sectionName) {
    return Guarded(0, [&](ComponentManagerApp& app) { return app.webSettings().WebUpdate(sectionName); });
}

int bWebSupport(const char* sectionName) {
    return Guarded(0, [&](ComponentManagerApp& app) { return app.webSettings().WebSupport(sectionName); });
}

int bWebRegister(void) {
    return Guarded(1, [](ComponentManagerApp& app) { return app.webSettings().WebRegister(); });
}

int bWebGetPath4Sku(const char* sku, unsigned int* size, char* path) {
    return Guarded(0, [&](ComponentManagerApp& app) {
        // As iDetectNewPlugIns(0), before any check.
        app.ShowPendingMessage();
        app.services().detection.DetectNewPlugIns(comp_mgr::DetectionMode::kLink);
        if (!sku || !size || !path) return 0;
        std::string folders;
        if (!app.database().FindInstallationsForSku(sku, folders)) return 0;
        CopyTextOut(folders, size, path);  // a cut text is still the answer
        return 1;
    });
}

}  // extern "C"

int bGetWebSettingWithDefault(const char* sectionName) {
    return Guarded(0,
                   [&](ComponentManagerApp& app) { return app.webSettings().GetWebSettingWithDefault(sectionName); });
}
