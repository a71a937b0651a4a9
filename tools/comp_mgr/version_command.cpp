// version FILE: the version information of a file as the library reads it
// (bQueryFileVersion): the versions of the fixed record, and for each
// translation the file lists, its eight standard strings.
#include <cstdio>
#include <string>
#include <vector>

#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

const char* const kValueNames[] = {"CompanyName",    "FileDescription",  "FileVersion", "InternalName",
                                   "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

unsigned Dword(const std::string& bytes, std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= unsigned(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}

std::string VersionText(unsigned high, unsigned low) {
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
           std::to_string(low & 0xFFFF);
}

Report RunVersion(const CommandContext& context, const Words& w) {
    auto* query = context.Get<signature::GetKey>("bQueryFileVersion");
    const std::string& path = w[0];
    // The value's bytes, or false when the file has no such value.
    auto value = [&](const std::string& subBlock, std::string* bytes) {
        std::vector<char> buffer(1u << 17, '\0');
        unsigned int size = static_cast<unsigned int>(buffer.size());
        if (!query(path.c_str(), subBlock.c_str(), &size, buffer.data())) return false;
        bytes->assign(buffer.data(), size < buffer.size() ? size : buffer.size());
        return true;
    };

    Report report;
    report.json["file"] = WordText(path);
    std::string fixed;
    if (!value("\\", &fixed)) {
        report.json["versionInformation"] = false;
        return std::move(report).Refuse(WordText(path) + ": no version information");
    }
    std::vector<std::pair<std::string, std::string>> head = {{"file", WordText(path)}};
    if (fixed.size() >= 52 && Dword(fixed, 0) == 0xFEEF04BDu) {
        const std::string file = VersionText(Dword(fixed, 8), Dword(fixed, 12));
        const std::string product = VersionText(Dword(fixed, 16), Dword(fixed, 20));
        head.push_back({"file version", file});
        head.push_back({"product version", product});
        report.json["fileVersion"] = file;
        report.json["productVersion"] = product;
    } else {
        head.push_back({"fixed record", "none"});
    }

    std::string table;
    Json translations = Json::array();
    std::string body;
    if (!value("\\VarFileInfo\\Translation", &table)) {
        head.push_back({"translations", "none listed"});
    }
    for (std::size_t at = 0; at + 4 <= table.size(); at += 4) {
        const unsigned language = Dword(table, at) & 0xFFFF;
        const unsigned codePage = Dword(table, at) >> 16;
        const std::string code = Hex(language, 4) + Hex(codePage, 4);
        // Keyed by the names the file gives its strings.
        Json strings = Json::object();
        std::vector<std::pair<std::string, std::string>> lines;
        bool complete = true;
        for (const char* name : kValueNames) {
            std::string bytes;
            if (value("\\StringFileInfo\\" + code + "\\" + name, &bytes)) {
                const std::string text = LibraryText(bytes.substr(0, bytes.find('\0')));
                lines.push_back({name, text});
                strings[name] = text;
            } else {
                complete = false;
                lines.push_back({name, "(missing)"});
                strings[name] = nullptr;
            }
        }
        body += "translation " + code + " (language 0x" + Hex(language, 4) + ", code page 0x" + Hex(codePage, 4) +
                "): " + (complete ? "all eight strings" : "not all eight strings, so the library does not record it") +
                "\n";
        const std::string rendered = RenderKeyValues(lines);
        for (std::size_t start = 0; start < rendered.size();) {
            const std::size_t end = rendered.find('\n', start);
            body += "  " + rendered.substr(start, end - start) + "\n";
            start = end == std::string::npos ? rendered.size() : end + 1;
        }
        Json item = {{"code", code},
                     {"language", language},
                     {"codePage", codePage},
                     {"complete", complete},
                     {"strings", std::move(strings)}};
        translations.push_back(std::move(item));
    }
    report.json["translations"] = std::move(translations);
    report.text = RenderKeyValues(head) + body;
    return report;
}

}  // namespace

void AddVersionCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"version",
                  "FILE",
                  1,
                  1,
                  nullptr,
                  RunVersion,
                  "the version strings of a file, per translation",
                  "Reads FILE's version information through the library's own reader\n"
                  "(bQueryFileVersion), as the library does when it records a plug-in.",
                  {},
                  {"bQueryFileVersion"}});
}

}  // namespace comp_mgr_tool
