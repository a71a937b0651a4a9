// The functions comp_mgr exports to its hosts.
//
// Results are 32-bit integers: non-zero for success, 0 for failure or refusal.
// Text results go into a caller buffer whose capacity is passed by address:
// a text shorter than the capacity is stored with its terminator and the
// capacity is set to its length; a longer one (or one that exactly fills the
// buffer) is cut to the capacity without a terminator.
#ifndef COMP_MGR_COMP_MGR_H
#define COMP_MGR_COMP_MGR_H

#include "comp_mgr/catalog_entry.h"

#if defined(_WIN32)
#if defined(COMP_MGR_BUILDING_LIBRARY)
#define COMP_MGR_API __declspec(dllexport)
#else
#define COMP_MGR_API __declspec(dllimport)
#endif
#else
#define COMP_MGR_API __attribute__((visibility("default")))
#endif

extern "C" {

// Kinds of catalog section.
enum { kCompMgrInstallation = 0, kCompMgrPlugIn = 1 };

// Bits reported by bGetDbUpdateFlag.
enum {
    kCompMgrEntriesRemoved = 0x100,
    kCompMgrRecordCreated = 0x200,
    kCompMgrGroupsReconciled = 0x400,
    kCompMgrLinksChanged = 0x800
};

COMP_MGR_API int InstallVNT(void);
COMP_MGR_API int bAbortDbUpdate(void);
COMP_MGR_API int bGetDbUpdateFlag(int* changes);

COMP_MGR_API int iGetCatalogCount(int kind);
COMP_MGR_API int bGetCatalogByNdx(int kind, int index, unsigned int* size, char* sectionName,
                                  comp_mgr::CatalogEntry* entry);
COMP_MGR_API int bGetCatalogByKey(const char* sectionName, comp_mgr::CatalogEntry** entry);

COMP_MGR_API int bInstallVNT(const char* progLocation, const char* sdkVersion, const char* cpuSupport, const char* sku,
                             const char* displayName, const char* folder, const char* registration);
COMP_MGR_API int bUpdateVNT(const char* progLocation, const char* sdkVersion, const char* oldSku, const char* newSku,
                            const char* displayName);
COMP_MGR_API int bGetKeyVNT(const char* progLocation, const char* sdkVersion, unsigned int* size, char* sectionName);
COMP_MGR_API int bPrepareVNT(const char* sectionName);
// Rewrites the three class registrations, writes the tool versions report
// beside `progLocation`, then prepares the installation found for it.
COMP_MGR_API int SetupVNT(const char* progLocation, const char* sdkVersion);
COMP_MGR_API int bSetupVNT(const char* progLocation, const char* sdkVersion);

COMP_MGR_API int bLinkPlugIns(const char* installationName, const char* plugInName, int mode);
COMP_MGR_API int iDetectNewPlugIns(int mode);
COMP_MGR_API void vUnRegAllPlgN(void);

// For the tool: one value of a file's version information, by its path in the
// resource ("\", "\VarFileInfo\Translation",
// "\StringFileInfo\040904B0\FileVersion"), as the version-information
// functions return it (text in code page 1252, binary values as they are
// stored). Copies the value's bytes, at most the capacity `*size`, with a NUL
// after them when there is room, sets `*size` to the value's byte count and
// returns 1; 0 when the file has no such value (nothing is changed).
COMP_MGR_API int bQueryFileVersion(const char* path, const char* subBlock, unsigned int* size, char* buffer);
// For the tool: why a plug-in may or may not be linked to an installation.
// Runs the linker's own rules, changing nothing, and writes one line per rule
// in the order the linker tests them, "<rule>: ok: <why>" or "<rule>:
// refused: <why>" (sections, record, processors, processor fit, then for the
// next request linked, version, display name, group, protection), followed by
// "check: ..." and "link: ..." (or "unlink: ..." when the plug-in is linked):
// the answers bLinkPlugIns would give in mode 2 and in mode 1 (0). Text in
// code page 1252, copied as bGetKeyVNT copies; returns what bLinkPlugIns
// mode 2 answers (0 for unknown sections, with a reason), also when cut.
COMP_MGR_API int bExplainLink(const char* installationName, const char* plugInName, unsigned int* size, char* buffer);
// For the tool: checks the catalog and changes nothing (servers are loaded
// and freed, never called). One line a finding, "problem|<kind>|<section>|
// <text>" or "note|<kind>|<section>|<text>", the start-up's repairs of this
// run among them; returns the number of problems (-1 on a null argument),
// also when the text was cut. A host that wants nothing saved then calls
// bAbortDbUpdate.
COMP_MGR_API int iCheckCatalog(unsigned int* size, char* buffer);
// For the tool: the copies of the catalog file beside it, one line each,
// "<kind>|<path>|<bytes>|<sections>": the catalog, its backup, then in name
// order the versions kept aside ("kept") and the damaged files kept aside
// ("damaged"); sections -1 for a file that cannot be read. Returns the number
// of lines (-1 on a null argument), also when the text was cut.
COMP_MGR_API int iListCatalogCopies(unsigned int* size, char* buffer);
// For the tool: how the catalog file differs from a copy, section by section,
// one line each: "+|<section>|" only in the copy, "-|<section>|" only in the
// catalog, "~|<section>|<key>,<key>" in both with these keys differing.
// `file` NULL or "" is the backup, a bare name a file in the catalog's folder.
// Returns the number of lines, or -1 when the copy cannot be read (the reason
// in the buffer).
COMP_MGR_API int iCompareCatalogCopy(const char* file, unsigned int* size, char* buffer);
// For the tool: puts a copy (named as for iCompareCatalogCopy) back as the
// catalog file, crash-safely, after keeping the catalog file under a dated
// name; a copy holding no section is refused. This load then saves nothing
// over it (as after bAbortDbUpdate). Returns 1 when done (also when the
// catalog already equals the copy), 0 when refused; the buffer says which.
COMP_MGR_API int bRestoreCatalogCopy(const char* file, unsigned int* size, char* buffer);
// The update advisor.
COMP_MGR_API int bWebStartup(const char* sectionName, int mode);
COMP_MGR_API int bWebStartupByVNT(const char* progLocation, const char* sdkVersion);
COMP_MGR_API int bWebGetSetting(const char* sectionName, int* autoLaunch, int* frequency, unsigned int* size1,
                                char* text1, unsigned int* size2, char* text2);
COMP_MGR_API int bWebSetSetting(const char* sectionName, int autoLaunch, int frequency, const char* text1,
                                const char* text2);
COMP_MGR_API int bWebUpdate(const char* sectionName);
COMP_MGR_API int bWebSupport(const char* sectionName);
COMP_MGR_API int bWebRegister(void);
COMP_MGR_API int bWebGetPath4Sku(const char* sku, unsigned int* size, char* path);

}  // extern "C"

// The one export whose symbol carries its signature, so that hosts bind to
// it through this declaration rather than by a bare name.
COMP_MGR_API int bGetWebSettingWithDefault(const char* sectionName);

// Its symbol as MinGW-w64 and GCC decorate it, and as Microsoft's compilers
// do for 64-bit code (the library exports both on Windows).
#define COMP_MGR_WEB_SETTING_WITH_DEFAULT_SYMBOL "_Z25bGetWebSettingWithDefaultPKc"
#define COMP_MGR_WEB_SETTING_WITH_DEFAULT_MSVC_SYMBOL "?bGetWebSettingWithDefault@@YAHPEBD@Z"

#endif
