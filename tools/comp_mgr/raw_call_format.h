// The printed form of a raw call: "<export> -> <result>" followed by the
// outputs in parameter order, and the entry block of the catalog queries.
#ifndef COMP_MGR_TOOL_RAW_CALL_FORMAT_H
#define COMP_MGR_TOOL_RAW_CALL_FORMAT_H

#include <string>
#include <vector>

#include "comp_mgr/catalog_entry.h"
#include "export_table.h"
#include "report.h"

namespace comp_mgr_tool {

// What one parameter held after the call; only the output kinds are read.
struct ObservedOutput {
    int outInt = 0;         // OutInt
    unsigned int size = 0;  // Size
    std::string bytes;      // Buffer: the bytes within its capacity
};

// One line without its line end. `outputs` has one item per parameter.
std::string FormatCallLine(const ExportInfo& exported, int result, const std::vector<ObservedOutput>& outputs);

// The same as one JSON object: "export", "result" (null for a call without
// one), the outputs under the names of the line, a buffer's text with its
// "nul" truth; `entry` adds the entry under "entry".
Json FormatCallJson(const ExportInfo& exported, int result, const std::vector<ObservedOutput>& outputs,
                    const comp_mgr::CatalogEntry* entry);

// text="..." nul=yes|no of a buffer's bytes (suffix numbers pairs: "1", "2").
std::string FormatBufferText(const std::string& bytes, const std::string& suffix);

// True when the entry still equals a freshly constructed one.
bool IsFreshEntry(const comp_mgr::CatalogEntry& entry);

// The entry, two blanks in, one "Name=value" line each, every line ended by "\n".
std::string FormatEntryBlock(const comp_mgr::CatalogEntry& entry);

}  // namespace comp_mgr_tool

#endif
