// Parsing of raw calls: a line "<export> <args...>" (or the words of a
// command line) bound to the parameters of one export.
#ifndef COMP_MGR_TOOL_RAW_CALL_PARSER_H
#define COMP_MGR_TOOL_RAW_CALL_PARSER_H

#include <string>
#include <string_view>
#include <vector>

#include "export_table.h"

namespace comp_mgr_tool {

struct Token {
    bool quoted = false;  // written in double quotes: never a keyword
    std::string text;
};

// Splits a script line at blanks. A token is a bare word or a double-quoted
// text in which "" stands for one quote and every other character (the
// backslash included) for itself. False with a message on a malformed line.
bool TokenizeLine(std::string_view line, std::vector<Token>* tokens, std::string* error);

// One word of a command line (already split by the shell): NULL stays the
// keyword, a word starting with a quote must be one whole quoted text, and
// anything else (blanks included) is taken as it stands.
bool TokenFromArgument(std::string_view argument, Token* token, std::string* error);

// Largest buffer capacity a raw call may ask for.
constexpr unsigned int kMaxCapacity = 16u * 1024u * 1024u;

enum class EntryChoice { Fresh, NullEntry, NullAddress };

// The value chosen for one parameter of the export (Buffer parameters carry
// no value of their own: their capacity is on the Size before them).
struct Argument {
    ParamKind kind = ParamKind::Text;
    bool isNull = false;        // Text: the NULL keyword
    std::string text;           // Text
    int integer = 0;            // Integer
    unsigned int capacity = 0;  // Size
    EntryChoice entry = EntryChoice::Fresh;
};

struct ParsedCall {
    const ExportInfo* exported = nullptr;
    std::vector<Argument> arguments;  // one per parameter of the export
};

// Binds tokens (the first is the export's name) to the export's parameters.
bool ParseCall(const std::vector<Token>& tokens, ParsedCall* call, std::string* error);

// Decimal integer, optionally negative, within the range of int.
bool ParseInteger(std::string_view text, int* value);

}  // namespace comp_mgr_tool

#endif
