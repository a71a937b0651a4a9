// What a people's command works with: the loaded library, the options, and
// typed access to the exports.
#ifndef COMP_MGR_TOOL_COMMAND_CONTEXT_H
#define COMP_MGR_TOOL_COMMAND_CONTEXT_H

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "comp_mgr/catalog_entry.h"
#include "export_table.h"
#include "library.h"
#include "options.h"
#include "report.h"

namespace comp_mgr_tool {

// Thrown when a command needs an export the loaded library lacks.
class MissingExport : public std::runtime_error {
public:
    explicit MissingExport(const std::string& name) : std::runtime_error(name), exportName(name) {}
    std::string exportName;
};

// The outcome of a people's command, in both its forms. A refusal keeps its
// JSON (for scripts) but its text is the one-line reason on standard error.
struct Report {
    Json json = Json::object();
    std::string text;       // lines ended by "\n"
    std::string refusal;    // not empty: the library refused, or nothing is there
    bool keepText = false;  // the text is printed even when refused (doctor's findings)

    Report&& Refuse(std::string reason) && {
        refusal = std::move(reason);
        return std::move(*this);
    }
};

// A report of one call: "key: value" lines and the same members in JSON.
struct KeyValueReport {
    Report report;
    std::vector<std::pair<std::string, std::string>> pairs;
    void Add(const std::string& key, const std::string& text, Json value) {
        pairs.emplace_back(key, text);
        report.json[key] = std::move(value);
    }
    // `text` is UTF-8 (LibraryText or WordText).
    void Add(const std::string& key, const std::string& text) { Add(key, text, Json(text)); }
    Report Done() {
        report.text = RenderKeyValues(pairs);
        return std::move(report);
    }
    Report Refused(std::string reason) { return Done().Refuse(std::move(reason)); }
};

class CommandContext {
public:
    CommandContext(const Library& library, const Options& options) : library_(library), options_(options) {}

    const Options& options() const { return options_; }

    // The export by name with its own signature; throws MissingExport.
    template <class F>
    F* Get(const char* name) const {
        const ExportInfo* info = FindExport(name);
        AnyFunction function = info ? library_.Find(*info) : nullptr;
        if (!function) throw MissingExport(name);
        return reinterpret_cast<F*>(function);
    }
    bool Has(const char* name) const {
        const ExportInfo* info = FindExport(name);
        return info && library_.Find(*info);
    }

    // Catalog reads through bGetCatalogByNdx / bGetCatalogByKey.
    int Count(int kind) const;
    bool EntryAt(int kind, int index, std::string* section, comp_mgr::CatalogEntry* entry) const;
    bool EntryOf(const std::string& section, comp_mgr::CatalogEntry* entry) const;

    // A text export that fills a buffer (size by address), grown until the text fits.
    // Returns the export's result; `text` holds what the buffer held.
    template <class Call>
    static int ReadText(Call call, std::string* text) {
        for (unsigned int capacity = 256;; capacity *= 4) {
            std::vector<char> buffer(capacity, '\0');
            unsigned int size = capacity;
            int result = call(&size, buffer.data());
            bool cut = size == capacity && buffer[capacity - 1] != '\0';
            if (!cut || capacity >= (1u << 22)) {
                text->assign(buffer.data(), cut ? capacity : std::char_traits<char>::length(buffer.data()));
                return result;
            }
        }
    }

private:
    const Library& library_;
    const Options& options_;
};

}  // namespace comp_mgr_tool

#endif
