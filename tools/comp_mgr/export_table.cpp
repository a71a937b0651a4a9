#include "export_table.h"

#include <cstddef>
#include <type_traits>
#include <utility>

#include "comp_mgr/comp_mgr.h"

namespace comp_mgr_tool {
namespace {

using comp_mgr::CatalogEntry;

// Maps a C parameter type to its kind and to the slot member that feeds it.
template <class T>
struct Param;
template <>
struct Param<const char*> {
    static constexpr ParamKind kind = ParamKind::Text;
    static const char* Get(const Slot& s) { return s.text; }
};
template <>
struct Param<int> {
    static constexpr ParamKind kind = ParamKind::Integer;
    static int Get(const Slot& s) { return s.integer; }
};
template <>
struct Param<int*> {
    static constexpr ParamKind kind = ParamKind::OutInt;
    static int* Get(const Slot& s) { return s.outInt; }
};
template <>
struct Param<unsigned int*> {
    static constexpr ParamKind kind = ParamKind::Size;
    static unsigned int* Get(const Slot& s) { return s.size; }
};
template <>
struct Param<char*> {
    static constexpr ParamKind kind = ParamKind::Buffer;
    static char* Get(const Slot& s) { return s.buffer; }
};
template <>
struct Param<CatalogEntry*> {
    static constexpr ParamKind kind = ParamKind::Entry;
    static CatalogEntry* Get(const Slot& s) { return s.entry; }
};
template <>
struct Param<CatalogEntry**> {
    static constexpr ParamKind kind = ParamKind::EntryRef;
    static CatalogEntry** Get(const Slot& s) { return s.entryRef; }
};

template <class F>
struct Signature;
template <class R, class... A>
struct Signature<R(A...)> {
    using Pointer = R (*)(A...);
    static constexpr bool kReturnsVoid = std::is_void_v<R>;

    static std::vector<ParamKind> Params() { return {Param<A>::kind...}; }

    template <std::size_t... I>
    static int Call(Pointer fn, const std::vector<Slot>& s, std::index_sequence<I...>) {
        if constexpr (std::is_void_v<R>) {
            fn(Param<A>::Get(s[I])...);
            return 0;
        } else {
            return fn(Param<A>::Get(s[I])...);
        }
    }
    static int Invoke(AnyFunction function, const std::vector<Slot>& slots) {
        return Call(reinterpret_cast<Pointer>(function), slots, std::index_sequence_for<A...>{});
    }
};

template <class F>
ExportInfo Row(const char* name, std::vector<std::string> outNames = {}, std::vector<std::string> symbols = {}) {
    ExportInfo info;
    info.name = name;
    info.symbols = symbols.empty() ? std::vector<std::string>{name} : std::move(symbols);
    info.params = Signature<F>::Params();
    info.returnsVoid = Signature<F>::kReturnsVoid;
    info.outNames = std::move(outNames);
    info.invoke = &Signature<F>::Invoke;
    return info;
}

using namespace signature;

// The rows below must keep matching the header the library is built from: one
// row for each of its exports and none besides (the tool's tests compare the
// names with resources/comp_mgr.def).
static_assert(std::is_same_v<decltype(InstallVNT), NoArgs>);
static_assert(std::is_same_v<decltype(bGetKeyVNT), GetKey>);
static_assert(std::is_same_v<decltype(bPrepareVNT), Text>);
static_assert(std::is_same_v<decltype(SetupVNT), TwoTexts>);
static_assert(std::is_same_v<decltype(bSetupVNT), TwoTexts>);
static_assert(std::is_same_v<decltype(bGetCatalogByNdx), ByIndex>);
static_assert(std::is_same_v<decltype(bGetCatalogByKey), ByKey>);
static_assert(std::is_same_v<decltype(bInstallVNT), Install>);
static_assert(std::is_same_v<decltype(bUpdateVNT), Update>);
static_assert(std::is_same_v<decltype(bLinkPlugIns), Link>);
static_assert(std::is_same_v<decltype(iDetectNewPlugIns), IntArg>);
static_assert(std::is_same_v<decltype(vUnRegAllPlgN), NoResult>);
static_assert(std::is_same_v<decltype(iGetCatalogCount), IntArg>);
static_assert(std::is_same_v<decltype(bAbortDbUpdate), NoArgs>);
static_assert(std::is_same_v<decltype(bGetDbUpdateFlag), OutInt>);
static_assert(std::is_same_v<decltype(bWebStartup), TextInt>);
static_assert(std::is_same_v<decltype(bWebStartupByVNT), TwoTexts>);
static_assert(std::is_same_v<decltype(bGetWebSettingWithDefault), Text>);
static_assert(std::is_same_v<decltype(bWebGetSetting), WebGet>);
static_assert(std::is_same_v<decltype(bWebSetSetting), WebSet>);
static_assert(std::is_same_v<decltype(bWebUpdate), Text>);
static_assert(std::is_same_v<decltype(bWebSupport), Text>);
static_assert(std::is_same_v<decltype(bWebRegister), NoArgs>);
static_assert(std::is_same_v<decltype(bWebGetPath4Sku), TextToBuffer>);
static_assert(std::is_same_v<decltype(bQueryFileVersion), GetKey>);
static_assert(std::is_same_v<decltype(bExplainLink), GetKey>);
static_assert(std::is_same_v<decltype(iCheckCatalog), ToBuffer>);
static_assert(std::is_same_v<decltype(iListCatalogCopies), ToBuffer>);
static_assert(std::is_same_v<decltype(iCompareCatalogCopy), TextToBuffer>);
static_assert(std::is_same_v<decltype(bRestoreCatalogCopy), TextToBuffer>);

std::vector<ExportInfo> BuildTable() {
    std::vector<ExportInfo> rows = {
        Row<NoArgs>("InstallVNT"),
        Row<GetKey>("bGetKeyVNT"),
        Row<Text>("bPrepareVNT"),
        Row<TwoTexts>("SetupVNT"),
        Row<TwoTexts>("bSetupVNT"),
        Row<Install>("bInstallVNT"),
        Row<Update>("bUpdateVNT"),
        Row<Link>("bLinkPlugIns"),
        Row<IntArg>("iDetectNewPlugIns"),
        Row<NoResult>("vUnRegAllPlgN"),
        Row<IntArg>("iGetCatalogCount"),
        Row<ByIndex>("bGetCatalogByNdx"),
        Row<ByKey>("bGetCatalogByKey"),
        Row<NoArgs>("bAbortDbUpdate"),
        Row<OutInt>("bGetDbUpdateFlag", {"changes"}),
        Row<TextInt>("bWebStartup"),
        Row<TwoTexts>("bWebStartupByVNT"),
        // Exported under its decorated name only.
        Row<Text>("bGetWebSettingWithDefault", {},
                  {COMP_MGR_WEB_SETTING_WITH_DEFAULT_SYMBOL, COMP_MGR_WEB_SETTING_WITH_DEFAULT_MSVC_SYMBOL}),
        Row<WebGet>("bWebGetSetting", {"autoLaunch", "frequency"}),
        Row<WebSet>("bWebSetSetting"),
        Row<Text>("bWebUpdate"),
        Row<Text>("bWebSupport"),
        Row<NoArgs>("bWebRegister"),
        Row<TextToBuffer>("bWebGetPath4Sku"),
        Row<GetKey>("bQueryFileVersion"),
        Row<GetKey>("bExplainLink"),
        Row<ToBuffer>("iCheckCatalog"),
        Row<ToBuffer>("iListCatalogCopies"),
        Row<TextToBuffer>("iCompareCatalogCopy"),
        Row<TextToBuffer>("bRestoreCatalogCopy"),
    };
    for (auto& row : rows) row.hexOutputs = row.name == "bGetDbUpdateFlag";
    return rows;
}

}  // namespace

const std::vector<ExportInfo>& Exports() {
    static const std::vector<ExportInfo> table = BuildTable();
    return table;
}

const ExportInfo* FindExport(std::string_view name) {
    for (const auto& row : Exports())
        if (row.name == name) return &row;
    return nullptr;
}

std::string CallUsage(const ExportInfo& exported) {
    std::string usage = exported.name;
    for (ParamKind kind : exported.params) {
        switch (kind) {
            case ParamKind::Text:
                usage += " TEXT";
                break;
            case ParamKind::Integer:
                usage += " INTEGER";
                break;
            case ParamKind::Size:
                usage += " CAPACITY";
                break;
            case ParamKind::Entry:
                usage += " [NULLENTRY]";
                break;
            case ParamKind::EntryRef:
                usage += " [NULLENTRY|NULLADDR]";
                break;
            case ParamKind::OutInt:
            case ParamKind::Buffer:
                break;
        }
    }
    return usage;
}

}  // namespace comp_mgr_tool
