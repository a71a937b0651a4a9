// An administrator's plug-in policy: VntCoreComponentEngine.policy beside
// the engine. Display-name patterns are settled (kept, never put to the
// user), rejected (never enabled) or asked (left to the user), for all host
// programs or per host program. The file's format is in docs/ENGINE.md.
#ifndef VNT_ENGINE_POLICY_H
#define VNT_ENGINE_POLICY_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vnt_engine {

enum class Verdict { kAsk, kSettle, kReject };

// `*` any run of characters, `?` one character; letters compared without
// regard to case (ASCII and Latin-1).
bool WildcardMatch(std::u32string_view pattern, std::u32string_view text);

class Policy {
public:
    // The policy in a file's bytes: UTF-8 (a byte-order mark is skipped), or
    // code page 1252 when the bytes are not UTF-8. Lines it does not
    // understand are passed over.
    static Policy Parse(std::string_view bytes);

    // The verdict on `displayName` in the host program named `hostProgram`
    // (its file name, e.g. VN_APP.EXE): the first matching rule of the
    // host's own sections, then of the sections for all hosts; kAsk when no
    // rule matches.
    Verdict Decide(std::u32string_view hostProgram, std::u32string_view displayName) const;

    // The number of rules that apply in `hostProgram`.
    std::size_t RulesFor(std::u32string_view hostProgram) const;

    // Files longer than this are not read as policies.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

private:
    struct Rule {
        Verdict verdict;
        std::u32string pattern;
    };
    struct Section {
        bool allHosts;
        std::u32string hosts;  // a pattern of host program names
        std::vector<Rule> rules;
    };
    bool Applies(const Section& section, std::u32string_view hostProgram) const;

    std::vector<Section> sections_;
};

}  // namespace vnt_engine

#endif
