// The copies of the catalog kept beside it: the backup, the versions kept
// aside when another program saved in between or when a catalog was put back,
// and damaged files kept aside. They are listed, compared with the catalog
// section by section, and one can be put back in the catalog's place.
#ifndef COMP_MGR_SERVICES_RECORDS_CATALOG_COPIES_H
#define COMP_MGR_SERVICES_RECORDS_CATALOG_COPIES_H

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "support/ini_sections.h"

namespace comp_mgr {

struct CatalogCopy {
    std::string kind;  // "catalog", "backup", "kept" or "damaged"
    std::string path;
    std::uint64_t bytes = 0;
    int sections = -1;  // -1: the file could not be read
};

class CatalogCopies {
public:
    CatalogCopies(ComponentDatabase& database, const Platform& platform) : db_(database), platform_(platform) {}

    // The catalog first, then its backup, then the other copies by name.
    std::vector<CatalogCopy> List();

    // `file` names a copy: empty for the backup, a bare name for a file in the
    // catalog's folder, else a path. False (with `why`) when it cannot be read.
    bool Compare(const std::string& file, std::vector<SectionDifference>* differences, std::string* why);

    // Puts the copy in the catalog's place, crash-safely, after keeping the
    // catalog file as it is under a dated name. Refuses a copy that holds no
    // section. `*changed` says whether the catalog file was replaced (not when
    // it equals the copy already); `told` says what was done or why not.
    bool Restore(const std::string& file, bool* changed, std::string* told);

private:
    std::string Resolve(const std::string& file) const;

    ComponentDatabase& db_;
    const Platform& platform_;
};

// "<kind>|<path>|<bytes>|<sections>" a line.
std::string CopiesText(const std::vector<CatalogCopy>& copies);
// "<change>|<section>|<keys>" a line.
std::string DifferencesText(const std::vector<SectionDifference>& differences);

}  // namespace comp_mgr

#endif
