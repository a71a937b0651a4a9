// Output of the people's commands: a small ordered JSON value for --json and
// the helpers that lay the same data out as text (tables, key: value lines).
#ifndef COMP_MGR_TOOL_REPORT_H
#define COMP_MGR_TOOL_REPORT_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace comp_mgr_tool {

class Json {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Json() = default;
    Json(bool b) : type_(Type::Bool), bool_(b) {}
    Json(int n) : type_(Type::Number), number_(n) {}
    Json(std::int64_t n) : type_(Type::Number), number_(n) {}
    Json(const char* s) : type_(Type::String), string_(s) {}
    Json(std::string s) : type_(Type::String), string_(std::move(s)) {}

    static Json Array() { return Json(Type::Array); }
    static Json Object() { return Json(Type::Object); }

    // Appends to an array.
    Json& Push(Json value);
    // Appends a member to an object, keeping the order of insertion.
    Json& Set(std::string key, Json value);

    // Compact JSON text; strings are taken as code page 1252 and written as UTF-8.
    std::string Dump() const;

private:
    explicit Json(Type t) : type_(t) {}
    void DumpTo(std::string* out) const;

    Type type_ = Type::Null;
    bool bool_ = false;
    std::int64_t number_ = 0;
    std::string string_;
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;
};

std::string JsonQuote(const std::string& text);

// Columns padded to their widest cell, two blanks apart, the last one not
// padded; each row ends with "\n".
std::string RenderTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows);

// "key: value" lines with the values aligned.
std::string RenderKeyValues(const std::vector<std::pair<std::string, std::string>>& pairs);

}  // namespace comp_mgr_tool

#endif
