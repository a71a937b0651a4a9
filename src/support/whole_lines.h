// A text that arrives in pieces, handed on in whole lines: what follows the
// last LF of a piece waits for the next one. So a line parser fed this way
// sees the lines of the whole text (a line ends at LF or CR, and CR LF is
// never split), while only one piece and one line are held at a time.
#ifndef COMP_MGR_SUPPORT_WHOLE_LINES_H
#define COMP_MGR_SUPPORT_WHOLE_LINES_H

#include <string>
#include <string_view>
#include <utility>

namespace comp_mgr {

template <class OnLines>
class WholeLines {
public:
    explicit WholeLines(OnLines onLines) : onLines_(std::move(onLines)) {}

    void Write(std::string_view piece) {
        const std::size_t last = piece.rfind('\n');
        if (last == std::string_view::npos) {
            carry_.append(piece);
            return;
        }
        std::string_view lines = piece.substr(0, last + 1);
        if (!carry_.empty()) {
            // The line begun in the pieces before ends in this one.
            const std::size_t first = lines.find('\n');
            carry_.append(lines.substr(0, first + 1));
            onLines_(std::string_view(carry_));
            lines.remove_prefix(first + 1);
        }
        if (!lines.empty()) onLines_(lines);
        carry_.assign(piece.substr(last + 1));
    }
    // The last line, when the text does not end with LF.
    void Finish() {
        if (!carry_.empty()) onLines_(std::string_view(carry_));
        carry_.clear();
    }

private:
    OnLines onLines_;
    std::string carry_;
};

}  // namespace comp_mgr

#endif
