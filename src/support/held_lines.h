// The lines of a log kept back while its records are held (Events::Hold),
// for an adapter to write in pieces rather than one write per line.
#ifndef COMP_MGR_SUPPORT_HELD_LINES_H
#define COMP_MGR_SUPPORT_HELD_LINES_H

#include <cstddef>
#include <string>
#include <string_view>

namespace comp_mgr {

class HeldLines {
public:
    // A piece this large is written even while held, so holding costs at most
    // this much memory.
    static constexpr std::size_t kPiece = 64 * 1024;

    void Hold() { ++depth_; }
    // True when the outermost hold ended with lines waiting.
    bool Release() {
        if (depth_ > 0) --depth_;
        return depth_ == 0 && !text_.empty();
    }
    // Adds one line; true when text() should be written now.
    bool Add(std::string_view line) {
        text_ += line;
        return depth_ == 0 || text_.size() >= kPiece;
    }
    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    void Clear() { text_.clear(); }

private:
    int depth_ = 0;
    std::string text_;
};

}  // namespace comp_mgr

#endif
