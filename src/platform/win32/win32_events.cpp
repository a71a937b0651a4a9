#include "platform/win32/win32_events.h"

#include <utility>

#include "platform/win32/windows_api.h"
#include "support/code_page_1252.h"
#include "support/event_line.h"

namespace comp_mgr {

namespace {

void WriteAllTo(HANDLE handle, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

}  // namespace

Win32Events::Win32Events(std::string path, Clock& clock, bool echo, std::uint64_t limit)
    : path_(std::move(path)), clock_(clock), echo_(echo), limit_(limit) {}

Win32Events::~Win32Events() {
    WriteWaiting();
    Close();
}

void Win32Events::Close() {
    if (file_) CloseHandle(static_cast<HANDLE>(file_));
    file_ = nullptr;
}

bool Win32Events::Open() {
    if (file_) return true;
    // Shared for deleting too, so that another process may rotate it.
    HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = file;
    return true;
}

void Win32Events::Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept {
    if (!enabled()) return;
    try {
        std::string line = EventLine(clock_.Now(), kind, subject, text);
        if (echo_) {
            HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
            if (err && err != INVALID_HANDLE_VALUE) WriteAllTo(err, Cp1252ToUtf8(line) + "\r\n");
        }
        if (path_.empty()) return;
        line += '\n';
        if (held_.Add(line)) WriteWaiting();
    } catch (...) {
        // An event that cannot be written is lost; the work goes on.
    }
}

void Win32Events::Release() noexcept {
    if (held_.Release()) WriteWaiting();
}

void Win32Events::WriteWaiting() noexcept {
    try {
        if (!held_.empty() && Open()) {
            LARGE_INTEGER size;
            if (GetFileSizeEx(static_cast<HANDLE>(file_), &size) &&
                static_cast<std::uint64_t>(size.QuadPart) >= limit_) {
                // Full: it becomes the older log, and these lines start a new one.
                Close();
                MoveFileExA(path_.c_str(), (path_ + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
            }
            if (Open()) WriteAllTo(static_cast<HANDLE>(file_), held_.text());
        }
    } catch (...) {
        // Lines that cannot be written are lost; the work goes on.
    }
    held_.Clear();
}

}  // namespace comp_mgr
