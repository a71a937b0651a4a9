#include "support/text_output.h"

#include <cstring>

namespace comp_mgr {

bool CopyTextOut(const std::string& text, unsigned int* size, char* buffer) {
    const std::size_t n = text.size();
    if (n < *size) {
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        *size = static_cast<unsigned int>(n);
        return true;
    }
    std::memcpy(buffer, text.data(), *size);
    return false;
}

}  // namespace comp_mgr
