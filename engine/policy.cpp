#include "policy.h"

#include "support/code_page_1252.h"
#include "utf.h"

namespace vnt_engine {

namespace {

char32_t Fold(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    // Latin-1 capitals, but the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r';
}

std::u32string_view Trim(std::u32string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameWord(std::u32string_view text, const char* word) {
    std::size_t i = 0;
    for (; word[i]; ++i) {
        if (i >= text.size() || Fold(text[i]) != static_cast<char32_t>(word[i])) return false;
    }
    return i == text.size();
}

std::u32string Decode(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::u32string text;
    if (FromUtf8(bytes, &text)) return text;
    return FromUtf16(comp_mgr::Cp1252ToUtf16(bytes));
}

}  // namespace

// Greedy matching with one step back to the last star: linear in practice,
// at most pattern length times text length.
bool WildcardMatch(std::u32string_view pattern, std::u32string_view text) {
    std::size_t p = 0, t = 0;
    std::size_t star = std::u32string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == U'?' || Fold(pattern[p]) == Fold(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

Policy Policy::Parse(std::string_view bytes) {
    Policy policy;
    const std::u32string text = Decode(bytes);
    std::u32string_view rest = text;
    Section* section = nullptr;
    bool skipping = false;  // after a damaged section header
    while (!rest.empty()) {
        std::size_t end = rest.find(U'\n');
        std::u32string_view line = Trim(rest.substr(0, end));
        rest.remove_prefix(end == std::u32string_view::npos ? rest.size() : end + 1);
        if (line.empty() || line.front() == U';' || line.front() == U'#') continue;
        if (line.front() == U'[') {
            // The rules under a header that cannot be read apply nowhere:
            // they must not fall to the section before it.
            skipping = line.size() < 2 || line.back() != U']';
            if (skipping) continue;
            std::u32string_view name = Trim(line.substr(1, line.size() - 2));
            policy.sections_.push_back(Section{SameWord(name, "all"), std::u32string(name), {}});
            section = &policy.sections_.back();
            continue;
        }
        if (skipping) continue;
        const std::size_t equals = line.find(U'=');
        if (equals == std::u32string_view::npos) continue;
        const std::u32string_view verb = Trim(line.substr(0, equals));
        const std::u32string_view pattern = Trim(line.substr(equals + 1));
        Verdict verdict;
        if (SameWord(verb, "settle")) {
            verdict = Verdict::kSettle;
        } else if (SameWord(verb, "reject")) {
            verdict = Verdict::kReject;
        } else if (SameWord(verb, "ask")) {
            verdict = Verdict::kAsk;
        } else {
            continue;
        }
        if (pattern.empty()) continue;
        if (!section) {
            // Rules before the first section are for all hosts.
            policy.sections_.push_back(Section{true, std::u32string(), {}});
            section = &policy.sections_.back();
        }
        section->rules.push_back(Rule{verdict, std::u32string(pattern)});
    }
    return policy;
}

bool Policy::Applies(const Section& section, std::u32string_view hostProgram) const {
    return section.allHosts || WildcardMatch(section.hosts, hostProgram);
}

Verdict Policy::Decide(std::u32string_view hostProgram, std::u32string_view displayName) const {
    for (bool allHosts : {false, true}) {
        for (const Section& section : sections_) {
            if (section.allHosts != allHosts || !Applies(section, hostProgram)) continue;
            for (const Rule& rule : section.rules)
                if (WildcardMatch(rule.pattern, displayName)) return rule.verdict;
        }
    }
    return Verdict::kAsk;
}

std::size_t Policy::RulesFor(std::u32string_view hostProgram) const {
    std::size_t count = 0;
    for (const Section& section : sections_)
        if (Applies(section, hostProgram)) count += section.rules.size();
    return count;
}

}  // namespace vnt_engine
