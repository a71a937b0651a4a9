#include "export_names.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "export_table.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace comp_mgr_tool {
namespace {

// Little-endian fields at an offset already checked to lie in the file.
template <class T>
T Read(std::string_view file, std::uint64_t at) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(file[at + i])) << (8 * i));
    return value;
}

bool Fits(std::string_view file, std::uint64_t at, std::uint64_t size) {
    return at <= file.size() && size <= file.size() - at;
}

constexpr std::uint32_t kDynSym = 11;  // SHT_DYNSYM
constexpr std::uint16_t kUndefined = 0;
constexpr unsigned kFunction = 2;  // STT_FUNC
constexpr unsigned kGlobal = 1, kWeak = 2;

}  // namespace

bool ElfExportNames(std::string_view file, std::set<std::string>* names) {
    if (file.size() < 52 ||
        file.substr(0, 4) !=
            "\x7F"
            "ELF" ||
        file[5] != 1)
        return false;
    const bool wide = file[4] == 2;
    if ((!wide && file[4] != 1) || file.size() < (wide ? 64u : 52u)) return false;
    // Offsets of the header fields and the sizes of the entries, by class.
    const std::uint64_t sectionTable = wide ? Read<std::uint64_t>(file, 0x28) : Read<std::uint32_t>(file, 0x20);
    const std::uint16_t entrySize = Read<std::uint16_t>(file, wide ? 0x3A : 0x2E);
    const std::uint16_t count = Read<std::uint16_t>(file, wide ? 0x3C : 0x30);
    if (entrySize < (wide ? 64 : 40) || !Fits(file, sectionTable, std::uint64_t(entrySize) * count)) return false;
    struct Section {
        std::uint32_t type, link;
        std::uint64_t offset, size, entrySize;
    };
    auto section = [&](std::uint16_t index) {
        const std::uint64_t at = sectionTable + std::uint64_t(entrySize) * index;
        Section s;
        s.type = Read<std::uint32_t>(file, at + 4);
        s.offset = wide ? Read<std::uint64_t>(file, at + 0x18) : Read<std::uint32_t>(file, at + 0x10);
        s.size = wide ? Read<std::uint64_t>(file, at + 0x20) : Read<std::uint32_t>(file, at + 0x14);
        s.link = Read<std::uint32_t>(file, at + (wide ? 0x28 : 0x18));
        s.entrySize = wide ? Read<std::uint64_t>(file, at + 0x38) : Read<std::uint32_t>(file, at + 0x24);
        return s;
    };
    bool found = false;
    for (std::uint16_t i = 0; i < count; ++i) {
        const Section symbols = section(i);
        if (symbols.type != kDynSym) continue;
        if (symbols.link >= count || symbols.entrySize < (wide ? 24u : 16u) ||
            !Fits(file, symbols.offset, symbols.size))
            return false;
        const Section strings = section(static_cast<std::uint16_t>(symbols.link));
        if (!Fits(file, strings.offset, strings.size)) return false;
        const std::string_view table = file.substr(strings.offset, strings.size);
        found = true;
        for (std::uint64_t at = symbols.offset; at + symbols.entrySize <= symbols.offset + symbols.size;
             at += symbols.entrySize) {
            const std::uint32_t name = Read<std::uint32_t>(file, at);
            const unsigned char info = static_cast<unsigned char>(file[at + (wide ? 4 : 12)]);
            const std::uint16_t where = Read<std::uint16_t>(file, at + (wide ? 6 : 14));
            const unsigned bind = info >> 4, type = info & 0xF;
            if (where == kUndefined || type != kFunction || (bind != kGlobal && bind != kWeak)) continue;
            if (name >= table.size()) continue;
            const std::size_t end = table.find('\0', name);
            if (end == std::string_view::npos) continue;
            names->insert(std::string(table.substr(name, end - name)));
        }
    }
    return found;
}

#ifdef _WIN32

bool LibraryExportNames(const std::string& path, std::set<std::string>* names, std::string* reason) {
    // Mapped as an image for GetProcAddress, but DllMain does not run.
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) {
        *reason = "cannot read " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    for (const auto& row : Exports()) {
        for (const auto& symbol : row.symbols) {
            if (GetProcAddress(module, symbol.c_str())) {
                names->insert(row.name);
                break;
            }
        }
    }
    FreeLibrary(module);
    return true;
}

#else

bool LibraryExportNames(const std::string& path, std::set<std::string>* names, std::string* reason) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (!(in && bytes << in.rdbuf())) {
        *reason = "cannot read " + path;
        return false;
    }
    std::set<std::string> symbols;
    if (!ElfExportNames(bytes.str(), &symbols)) {
        *reason = path + " is not a shared library the tool can read";
        return false;
    }
    for (const auto& row : Exports()) {
        for (const auto& symbol : row.symbols) {
            if (symbols.count(symbol)) {
                names->insert(row.name);
                break;
            }
        }
    }
    return true;
}

#endif

}  // namespace comp_mgr_tool
