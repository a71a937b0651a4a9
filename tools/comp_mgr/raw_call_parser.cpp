#include "raw_call_parser.h"

#include <climits>
#include <cstddef>

namespace comp_mgr_tool {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads a quoted text starting at line[pos] (the opening quote); leaves pos
// after the closing quote.
bool ReadQuoted(std::string_view line, std::size_t* pos, std::string* text, std::string* error) {
    std::size_t i = *pos + 1;
    text->clear();
    while (i < line.size()) {
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text->push_back('"');
                i += 2;
                continue;
            }
            *pos = i + 1;
            return true;
        }
        text->push_back(line[i]);
        ++i;
    }
    *error = "unterminated quoted text (a quote inside one is written \"\")";
    return false;
}

bool ParseUnsigned(std::string_view text, unsigned long long limit, unsigned long long* value) {
    if (text.empty() || text.size() > 20) return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > limit) return false;
    }
    *value = v;
    return true;
}

std::string Describe(const Token& token) {
    return token.quoted ? "\"" + token.text + "\"" : token.text;
}

}  // namespace

bool TokenizeLine(std::string_view line, std::vector<Token>* tokens, std::string* error) {
    tokens->clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) return true;
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            if (!ReadQuoted(line, &i, &token.text, error)) return false;
            if (i < line.size() && !IsBlank(line[i])) {
                *error = "a blank must follow the closing quote of \"" + token.text + "\"";
                return false;
            }
        } else {
            std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i])) {
                if (line[i] == '"') {
                    *error = "a quote inside the word " + std::string(line.substr(start, i - start + 1)) +
                             "...: quote the whole text";
                    return false;
                }
                ++i;
            }
            token.text = std::string(line.substr(start, i - start));
        }
        tokens->push_back(std::move(token));
    }
}

bool TokenFromArgument(std::string_view argument, Token* token, std::string* error) {
    token->quoted = false;
    token->text = std::string(argument);
    if (argument.empty() || argument.front() != '"') return true;
    std::size_t pos = 0;
    token->quoted = true;
    if (!ReadQuoted(argument, &pos, &token->text, error)) return false;
    if (pos != argument.size()) {
        *error = "text after the closing quote in " + std::string(argument);
        return false;
    }
    return true;
}

bool ParseInteger(std::string_view text, int* value) {
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    unsigned long long magnitude = 0;
    const unsigned long long limit = negative ? 1ull + static_cast<unsigned long long>(INT_MAX) : INT_MAX;
    if (!ParseUnsigned(text, limit, &magnitude)) return false;
    long long v = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    *value = static_cast<int>(v);
    return true;
}

bool ParseCall(const std::vector<Token>& tokens, ParsedCall* call, std::string* error) {
    call->exported = nullptr;
    call->arguments.clear();
    if (tokens.empty()) {
        *error = "no export named";
        return false;
    }
    const Token& head = tokens.front();
    const ExportInfo* info = head.quoted ? nullptr : FindExport(head.text);
    if (!info) {
        *error = "unknown export: " + Describe(head);
        return false;
    }
    std::size_t next = 1;
    auto take = [&](const char* what, const Token** token) {
        if (next >= tokens.size()) {
            *error = info->name + ": missing " + what + " argument (usage: " + CallUsage(*info) + ")";
            return false;
        }
        *token = &tokens[next++];
        return true;
    };
    for (ParamKind kind : info->params) {
        Argument arg;
        arg.kind = kind;
        const Token* token = nullptr;
        switch (kind) {
            case ParamKind::Text:
                if (!take("text", &token)) return false;
                arg.isNull = !token->quoted && token->text == "NULL";
                if (!arg.isNull) arg.text = token->text;
                break;
            case ParamKind::Integer:
                if (!take("integer", &token)) return false;
                if (token->quoted || !ParseInteger(token->text, &arg.integer)) {
                    *error = info->name + ": not a decimal integer: " + Describe(*token);
                    return false;
                }
                break;
            case ParamKind::Size: {
                if (!take("capacity", &token)) return false;
                unsigned long long capacity = 0;
                if (token->quoted || !ParseUnsigned(token->text, kMaxCapacity, &capacity)) {
                    *error = info->name + ": a capacity is a whole number from 0 to " + std::to_string(kMaxCapacity) +
                             ": " + Describe(*token);
                    return false;
                }
                arg.capacity = static_cast<unsigned int>(capacity);
                break;
            }
            case ParamKind::Entry:
            case ParamKind::EntryRef:
                // The entry takes no argument unless one of its keywords stands here.
                if (next < tokens.size() && !tokens[next].quoted) {
                    const std::string& word = tokens[next].text;
                    if (word == "NULLENTRY") {
                        arg.entry = EntryChoice::NullEntry;
                        ++next;
                    } else if (word == "NULLADDR") {
                        if (kind != ParamKind::EntryRef) {
                            *error = info->name + ": NULLADDR applies to bGetCatalogByKey only (use NULLENTRY)";
                            return false;
                        }
                        arg.entry = EntryChoice::NullAddress;
                        ++next;
                    }
                }
                break;
            case ParamKind::OutInt:
            case ParamKind::Buffer:
                break;
        }
        call->arguments.push_back(std::move(arg));
    }
    if (next < tokens.size()) {
        *error = info->name + ": too many arguments, starting at " + Describe(tokens[next]) +
                 " (usage: " + CallUsage(*info) + ")";
        return false;
    }
    call->exported = info;
    return true;
}

}  // namespace comp_mgr_tool
