// The library's exports as the tool knows them: one row per export, with the
// kinds of its parameters derived from its C signature, so a raw call can be
// parsed, prepared and printed without code written for each export.
#ifndef COMP_MGR_TOOL_EXPORT_TABLE_H
#define COMP_MGR_TOOL_EXPORT_TABLE_H

#include <string>
#include <string_view>
#include <vector>

#include "comp_mgr/catalog_entry.h"

namespace comp_mgr_tool {

// Any exported function, before it is cast back to its own signature.
using AnyFunction = void (*)();

enum class ParamKind {
    Text,      // const char*
    Integer,   // int
    OutInt,    // int*, preset by the tool
    Size,      // unsigned int*, the capacity of the buffer that follows
    Buffer,    // char*, paired with the size before it
    Entry,     // CatalogEntry*
    EntryRef,  // CatalogEntry**
};

// The value handed to one parameter of a call.
struct Slot {
    const char* text = nullptr;
    int integer = 0;
    int* outInt = nullptr;
    unsigned int* size = nullptr;
    char* buffer = nullptr;
    comp_mgr::CatalogEntry* entry = nullptr;
    comp_mgr::CatalogEntry** entryRef = nullptr;
};

struct ExportInfo {
    std::string name;                  // as written in a raw call and printed
    std::vector<std::string> symbols;  // looked up in this order
    std::vector<ParamKind> params;
    bool returnsVoid = false;
    std::vector<std::string> outNames;  // one per OutInt parameter
    bool hexOutputs = false;            // out integers printed as 0x%08X
    int (*invoke)(AnyFunction function, const std::vector<Slot>& slots) = nullptr;
};

// C signatures of the exports, shared by the table and the people's commands.
namespace signature {
using Text = int(const char*);
using TwoTexts = int(const char*, const char*);
using GetKey = int(const char*, const char*, unsigned int*, char*);
using ByIndex = int(int, int, unsigned int*, char*, comp_mgr::CatalogEntry*);
using ByKey = int(const char*, comp_mgr::CatalogEntry**);
using Install = int(const char*, const char*, const char*, const char*, const char*, const char*, const char*);
using Update = int(const char*, const char*, const char*, const char*, const char*);
using Link = int(const char*, const char*, int);
using NoArgs = int();
using IntArg = int(int);
using OutInt = int(int*);
using NoResult = void();
using TextInt = int(const char*, int);
using TwoTexts = int(const char*, const char*);
using WebGet = int(const char*, int*, int*, unsigned int*, char*, unsigned int*, char*);
using WebSet = int(const char*, int, int, const char*, const char*);
using TextToBuffer = int(const char*, unsigned int*, char*);
using ToBuffer = int(unsigned int*, char*);
}  // namespace signature

// Every export of the library (include/comp_mgr/comp_mgr.h), and nothing else.
const std::vector<ExportInfo>& Exports();
// The row of an export by its (case-sensitive) name, or null.
const ExportInfo* FindExport(std::string_view name);

// How a raw call of the export is written, e.g. "bGetKeyVNT TEXT TEXT CAPACITY".
std::string CallUsage(const ExportInfo& exported);

}  // namespace comp_mgr_tool

#endif
