#include "platform/hosted/hosted_registry.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/hosted/host_file_io.h"
#include "platform/hosted/reg_file.h"
#include "support/path_parts.h"

namespace comp_mgr {

HostedRegistry::HostedRegistry(std::string file, Report report) : file_(std::move(file)), report_(std::move(report)) {
    if (!report_) {
        report_ = [](const std::string& message) { std::fprintf(stderr, "comp_mgr: %s\n", message.c_str()); };
    }
}

HostedRegistry::~HostedRegistry() {
    try {
        Flush();
    } catch (...) {
        // A registry that cannot be saved must not take the process down.
    }
}

MemoryRegistry& HostedRegistry::memory() {
    if (!loaded_) Load();
    return memory_;
}

void HostedRegistry::Load() {
    loaded_ = true;
    std::string text;
    if (!host_io::ReadFile(file_, &text)) {
        const bool missing = ::access(file_.c_str(), F_OK) != 0 && (errno == ENOENT || errno == ENOTDIR);
        if (!missing) {
            // Something is there that we cannot read: keep it rather than
            // replace it by an empty registry.
            readOnly_ = true;
            report_(file_ + ": cannot be read; registry changes will not be saved");
        }
        savedCount_ = memory_.changeCount();
        return;
    }
    ReadRegFile(text, memory_, [this](std::size_t line, const std::string& message) {
        report_(file_ + ":" + std::to_string(line) + ": " + message);
    });
    savedCount_ = memory_.changeCount();
}

void HostedRegistry::Flush() {
    if (!loaded_ || readOnly_ || memory_.changeCount() == savedCount_) return;
    const std::uint64_t count = memory_.changeCount();
    if (!host_io::MakeDirectories(PosixFolder(file_)) ||
        !host_io::ReplaceFile(
            file_, [this](ContentSink& sink) { sink.Write(WriteRegFile(memory_)); }, std::string())) {
        if (!writeFailed_) report_(file_ + ": cannot be written; will try again");
        writeFailed_ = true;
        return;
    }
    savedCount_ = count;
    writeFailed_ = false;
}

long HostedRegistry::OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    return memory().OpenKey(parent, subKey, access, result);
}

long HostedRegistry::CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    return memory().CreateKey(parent, subKey, access, result);
}

long HostedRegistry::CloseKey(RegHandle key) {
    return memory().CloseKey(key);
}

long HostedRegistry::EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) {
    return memory().EnumKey(key, index, name, nameSize);
}

long HostedRegistry::EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    return memory().EnumValue(key, index, name, nameSize, type, data, dataSize);
}

long HostedRegistry::QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) {
    return memory().QueryValue(key, name, type, data, dataSize);
}

long HostedRegistry::SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t dataSize) {
    return memory().SetValue(key, name, type, data, dataSize);
}

long HostedRegistry::DeleteValue(RegHandle key, const char* name) {
    return memory().DeleteValue(key, name);
}

long HostedRegistry::DeleteKey(RegHandle parent, const std::string& subKey) {
    return memory().DeleteKey(parent, subKey);
}

}  // namespace comp_mgr
