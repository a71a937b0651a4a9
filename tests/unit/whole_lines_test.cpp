// A text read in pieces parses as the whole text does, wherever the pieces
// end: inside a line, between CR and LF, at a NUL, with or without a last LF.
#include "support/whole_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/ini_grammar.h"

namespace comp_mgr {
namespace {

// What ParseIni reads from text fed to it whole or in pieces, as "[s]" and
// "k=v" lines.
struct Reading {
    std::string told;
    void Parse(std::string_view text) {
        ParseIni(
            text, [&](std::string name) { told += "[" + name + "]\n"; },
            [&](std::string_view k, std::string_view v) {
                told.append(k);
                told += "=";
                told.append(v);
                told += "\n";
            });
    }
};

TEST(WholeLines, EverySplitOfATextParsesAsTheWholeText) {
    static const char kWithNul[] = "[A]\nk=v\0junk\nj=w\n";  // a NUL ends its line
    const std::string texts[] = {
        "[A]\nk=v\n",
        "[A]\r\nk=v\r\n[B]\r\nx = y \r\n",
        "[A]\rk=v\rj=w",  // lone CRs, no last LF
        "; c\n[A]\nk=v",  // no last LF
        std::string(kWithNul, sizeof kWithNul - 1),
        "\n\n[A]\n\nk=\n=v\n[]\n",
        "",
    };
    for (const std::string& text : texts) {
        Reading whole;
        whole.Parse(text);
        for (std::size_t i = 0; i <= text.size(); ++i) {
            for (std::size_t j = i; j <= text.size(); ++j) {
                Reading pieces;
                WholeLines lines([&](std::string_view part) { pieces.Parse(part); });
                lines.Write(std::string_view(text).substr(0, i));
                lines.Write(std::string_view(text).substr(i, j - i));
                lines.Write(std::string_view(text).substr(j));
                lines.Finish();
                ASSERT_EQ(pieces.told, whole.told) << "split at " << i << " and " << j << " of " << text;
            }
        }
    }
}

}  // namespace
}  // namespace comp_mgr
