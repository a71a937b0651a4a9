// Small in-memory ports for tests: the process, the clock and the user.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H

#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/process.h"
#include "platform/ui.h"
#include "support/fixed_time.h"

namespace comp_mgr {

class MemoryProcess : public Process {
public:
    std::string modulePath = "C:\\Vantrel\\bin\\vn_app.exe";
    std::map<std::string, std::string> environment;

    std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) override {
        if (size == 0 || modulePath.empty()) return 0;
        // As GetModuleFileNameA: cut to the buffer, terminated.
        std::uint32_t n = static_cast<std::uint32_t>(modulePath.size());
        if (n >= size) n = size - 1;
        std::memcpy(buffer, modulePath.data(), n);
        buffer[n] = '\0';
        return n;
    }
    bool GetEnv(const std::string& name, std::string* value) override {
        auto it = environment.find(name);
        if (it == environment.end()) return false;
        *value = it->second;
        return true;
    }
};

class FixedClock : public Clock {
public:
    FixedClock() { Set(2006, 12, 4, 15, 4, 33); }
    // The weekday and day of the year are worked out as for the clocks'
    // VNT_NOW, without asking the system's time zone.
    void Set(int year, int month, int day, int hour, int minute, int second) {
        now = BrokenDownTime(year, month, day, hour, minute, second, 0);
    }
    std::tm Now() override { return now; }
    std::tm now{};
};

class RecordingUi : public Ui {
public:
    void MessageBox(const std::string& caption, const std::string& text) override {
        messages.emplace_back(caption, text);
    }
    std::vector<std::pair<std::string, std::string>> messages;
};

}  // namespace comp_mgr

#endif
