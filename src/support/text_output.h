// Handing a text out through a caller's buffer and its size.
#ifndef COMP_MGR_SUPPORT_TEXT_OUTPUT_H
#define COMP_MGR_SUPPORT_TEXT_OUTPUT_H

#include <string>

namespace comp_mgr {

// A text shorter than *size is stored with its terminator and *size becomes
// its length (true). Otherwise the first *size characters are copied without
// a terminator and *size is left alone (false).
bool CopyTextOut(const std::string& text, unsigned int* size, char* buffer);

}  // namespace comp_mgr

#endif
